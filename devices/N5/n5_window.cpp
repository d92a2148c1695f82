#include "n5_window.h"

#include "n5_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <initializer_list>

namespace wendax::gui {
namespace {

constexpr int kBooleanColumnWidth = 130; // room for "Restore Disable" on the check box

enum Page { MainWindow = 1, Ethernet = 2, Outputs = 3, Inputs = 4, StatusEvents = 5 };

QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* holder = new QWidget(parent);
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    layout->addStretch(1);
    return holder;
}

} // namespace

TN5_cfg::TN5_cfg(FrameServices& services, QWidget* parent)
    : DeviceWindow(n5Definition(), services, parent)
{
    QTreeWidgetItem* root = addTreeNode(nullptr, QStringLiteral("Main window"), MainWindow);
    addTreeNode(root, QStringLiteral("Ethernet TCP/IP options"), Ethernet);
    addTreeNode(root, QStringLiteral("Outputs"), Outputs);
    addTreeNode(root, QStringLiteral("Inputs"), Inputs);
    addTreeNode(root, QStringLiteral("Status Event Summary"), StatusEvents);

    buildMainPage();
    buildEthernetPage();
    buildOutputsPage();
    buildInputsPage();
    buildStatusEventsPage();
    finishCreation();
}

void TN5_cfg::buildMainPage()
{
    QGroupBox* page = addPage(MainWindow, QStringLiteral("Main window"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(addCheckBox(page, QStringLiteral("CheckBox2"), QStringLiteral("Use internal account")), 0, 0, 1, 2);
    grid->addWidget(addLabel(page, QStringLiteral("Account Number")), 1, 0);
    QLineEdit* account = addEdit(page, QStringLiteral("Edit2"));
    grid->addWidget(row(page, {account, addLabel(page, QStringLiteral("hex"))}), 1, 1);
    grid->addWidget(addLabel(page, QStringLiteral("Test time")), 2, 0);
    QLineEdit* testTime = addEdit(page, QStringLiteral("Edit3"));
    grid->addWidget(row(page, {testTime, addLabel(page, QStringLiteral("min"))}), 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
}

void TN5_cfg::buildEthernetPage()
{
    QGroupBox* page = addPage(Ethernet, QStringLiteral("Ethernet TCP/IP options"));
    auto* left = new QGridLayout;
    int line = 0;
    auto addField = [&](const QString& caption, std::initializer_list<const char*> edits, QWidget* beside = nullptr) {
        left->addWidget(addLabel(page, caption), line, 0);
        auto* fields = new QWidget(page);
        auto* fieldsLayout = new QHBoxLayout(fields);
        fieldsLayout->setContentsMargins(0, 0, 0, 0);
        fieldsLayout->setSpacing(3);
        for (const char* name : edits)
            fieldsLayout->addWidget(addEdit(fields, QString::fromLatin1(name)));
        fieldsLayout->addStretch(1);
        left->addWidget(fields, line, 1);
        if (beside != nullptr)
            left->addWidget(beside, line, 2);
        ++line;
    };
    addField(QStringLiteral("MAC Address"), {"Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36"});
    addField(QStringLiteral("Internal  IP"), {"Edit4", "Edit5", "Edit6", "Edit7"});
    addField(QStringLiteral("Gateway IP 2"), {"Edit8", "Edit9", "Edit10", "Edit11"});
    addField(QStringLiteral("Mask"), {"Edit12", "Edit13", "Edit14", "Edit15"});
    left->addWidget(addCheckBox(page, QStringLiteral("CheckBox1"), QStringLiteral("DHCP")), 1, 2);
    addField(QStringLiteral("Remote port 1"), {"Edit21"});
    addField(QStringLiteral("Remote port 2"), {"Edit22"});
    addField(QStringLiteral("Remote IP 1"), {"Edit23", "Edit24", "Edit25", "Edit26"});
    addField(QStringLiteral("Remote IP 2"), {"Edit27", "Edit28", "Edit29", "Edit30"});
    left->addWidget(addCheckBox(page, QStringLiteral("CheckBox3"), QStringLiteral("To Next")), line - 2, 2);
    left->setRowStretch(line, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(addLabel(page, QStringLiteral("Transport Protocol")));
    right->addWidget(addComboBox(page, QStringLiteral("ComboBox2")));
    QLabel* passwordCaption = addLabel(page, QStringLiteral("TCP/IP data crypting password (6 symbols):"));
    passwordCaption->setWordWrap(true);
    right->addWidget(passwordCaption);
    right->addWidget(addEdit(page, QStringLiteral("Edit37")));
    right->addWidget(addLabel(page, QStringLiteral("TCP data protocol:")));
    right->addWidget(addComboBox(page, QStringLiteral("ComboBox1")));

    QGroupBox* ebs = addGroupBox(page, QStringLiteral("EBS Settings"));
    auto* ebsLayout = new QHBoxLayout(ebs);
    ebsLayout->addWidget(addLabel(ebs, QStringLiteral("Serial Number:")));
    ebsLayout->addWidget(addEdit(ebs, QStringLiteral("Edit1"), 6));
    ebsLayout->addStretch(1);
    right->addWidget(ebs);

    QGroupBox* rrk = addGroupBox(page, QStringLiteral("RRK1 Settings"));
    auto* rrkLayout = new QHBoxLayout(rrk);
    rrkLayout->addWidget(addLabel(rrk, QStringLiteral("Slave Address:")));
    rrkLayout->addWidget(addEdit(rrk, QStringLiteral("Edit17")));
    rrkLayout->addStretch(1);
    right->addWidget(rrk);

    QLabel* pingCaption = addLabel(page, QStringLiteral("PING time:"));
    QLineEdit* pingTime = addEdit(page, QStringLiteral("Edit16"));
    right->addWidget(row(page, {pingCaption, pingTime, addLabel(page, QStringLiteral("s"))}));
    right->addWidget(addCheckBox(page, QStringLiteral("CheckBox4"), QStringLiteral("PING enable")));
    right->addStretch(1);

    auto* columns = new QHBoxLayout(page);
    columns->addLayout(left, 3);
    columns->addSpacing(8);
    columns->addLayout(right, 2);
}

void TN5_cfg::buildOutputsPage()
{
    QGroupBox* page = addPage(Outputs, QStringLiteral("Outputs"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(addLabel(page, QStringLiteral("PGM1")), 0, 0);
    grid->addWidget(addComboBox(page, QStringLiteral("ComboBox8")), 0, 1);
    grid->addWidget(addCheckBox(page, QStringLiteral("CheckBox5"), QStringLiteral("PGM1 invert")), 0, 2);
    grid->addWidget(addLabel(page, QStringLiteral("PGM2")), 1, 0);
    grid->addWidget(addComboBox(page, QStringLiteral("ComboBox9")), 1, 1);
    grid->addWidget(addCheckBox(page, QStringLiteral("CheckBox6"), QStringLiteral("PGM2 invert")), 1, 2);
    grid->addWidget(addLabel(page, QStringLiteral("Communication Timeout:")), 2, 0);
    QLineEdit* timeout = addEdit(page, QStringLiteral("Edit18"));
    grid->addWidget(row(page, {timeout, addLabel(page, QStringLiteral("s"))}), 2, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(3, 1);
}

void TN5_cfg::buildInputsPage()
{
    QGroupBox* page = addPage(Inputs, QStringLiteral("Inputs"));
    m_inputGrid = addGrid(page, QStringLiteral("DBGrid1"), QStringLiteral("ClientDataSet1"),
                          {{QStringLiteral("Zone_ID"), QStringLiteral("Zn")},
                           {QStringLiteral("Zn_Name"), QStringLiteral("Zn Name")},
                           {QStringLiteral("Alarm"), QStringLiteral("Alarm")},
                           {QStringLiteral("Restore"), QStringLiteral("Restore")},
                           {QStringLiteral("Alarm_Code"), QStringLiteral("Alarm Code")},
                           {QStringLiteral("Restore_Code"), QStringLiteral("Restore Code")},
                           {QStringLiteral("Zone_Type"), QStringLiteral("Type")}});
    addBooleanCellCheckBox(m_inputGrid, QStringLiteral("DBCheckBox1"), QStringLiteral("Alarm"),
                           {QStringLiteral("Alarm Enable"), QStringLiteral("Alarm Disable")});
    addBooleanCellCheckBox(m_inputGrid, QStringLiteral("DBCheckBox2"), QStringLiteral("Restore"),
                           {QStringLiteral("Restore Enable"), QStringLiteral("Restore Disable")});
    for (const int column : {2, 3})
        m_inputGrid->setColumnWidth(column, kBooleanColumnWidth);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_inputGrid);
}

void TN5_cfg::buildStatusEventsPage()
{
    QGroupBox* page = addPage(StatusEvents, QStringLiteral("Status Events"));
    m_statusGrid = addGrid(page, QStringLiteral("DBGrid2"), QStringLiteral("ClientDataSet2"),
                           {{QStringLiteral("Event_ID"), QStringLiteral("ID")},
                            {QStringLiteral("Event_Name"), QStringLiteral("Name of Status Event")},
                            {QStringLiteral("Event_Code"), QStringLiteral("Event Code")}});
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_statusGrid);
}

} // namespace wendax::gui
