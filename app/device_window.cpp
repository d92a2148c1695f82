#include "device_window.h"

#include "frame_services.h"
#include "messages.h"
#include "program_folders.h"
#include "user_dialogs.h"

#include "link/firmware/firmware_messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace wendax::gui {
namespace {

constexpr int kTreeWidth = 190;

QString qt(const std::string& text)
{
    return QString::fromStdString(text);
}

/// A file filter as "Firmware files (*.enc)|*.enc", in Qt's words: the part
/// before the bar.
QString qtFilter(std::string_view filter)
{
    return QString::fromLatin1(filter.data(), static_cast<qsizetype>(filter.size())).section(QLatin1Char('|'), 0, 0);
}

} // namespace

void setComponent(QObject* object, const QString& name, const char* vclClass)
{
    object->setObjectName(name);
    object->setProperty("vclClass", QString::fromLatin1(vclClass));
}

DeviceWindow::DeviceWindow(const ModelDefinition& definition, FrameServices& services, QWidget* parent)
    : QWidget(parent)
    , m_form(definition)
    , m_services(services)
{
    const QString className = qt(std::string(definition.className));
    setComponent(this, className.mid(1), className.toLatin1().constData());
    setWindowTitle(qt(std::string(definition.windowCaption)));

    m_pageControl = new QTabWidget(this);
    setComponent(m_pageControl, QStringLiteral("PageControl1"), "TPageControl");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageControl);
    if (definition.hasImage())
        buildConfigurationSheet();

    if (FrameLink* link = m_services.frameLink()) {
        m_transfer = std::make_unique<ConfigTransfer>(*link, m_codec);
        m_firmware = std::make_unique<FirmwareSession>(*link, *m_transfer, m_services.hidLink());
        connect(m_firmware.get(), &FirmwareSession::started, this, &DeviceWindow::enterFirmwareMode);
        connect(m_firmware.get(), &FirmwareSession::progressChanged, this, [this](int position) {
            if (m_firmwareProgress != nullptr)
                m_firmwareProgress->setValue(position);
        });
        connect(m_firmware.get(), &FirmwareSession::ended, this, &DeviceWindow::leaveFirmwareMode);
    }

    m_form.form().onControlChanged = [this](const Control& control) { syncWidget(control); };
}

void DeviceWindow::buildConfigurationSheet()
{
    m_configSheet = new QWidget(m_pageControl);
    setComponent(m_configSheet, QStringLiteral("TabSheet1"), "TTabSheet");
    m_pageControl->addTab(m_configSheet, qt(std::string(definition().configCaption)));

    m_tree = new QTreeWidget(m_configSheet);
    setComponent(m_tree, QStringLiteral("TreeView1"), "TTreeView");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAllColumnsShowFocus(true);
    m_tree->setMouseTracking(true); // hot tracking
    m_tree->setFixedWidth(kTreeWidth);
    connect(m_tree, &QTreeWidget::itemClicked, this, &DeviceWindow::TreeView1Click);

    m_pageHost = new QStackedWidget(m_configSheet);
    m_pageHost->setObjectName(QStringLiteral("PageHost"));
    auto* sheetLayout = new QHBoxLayout(m_configSheet);
    sheetLayout->setContentsMargins(4, 4, 4, 4);
    sheetLayout->addWidget(m_tree);
    sheetLayout->addWidget(m_pageHost, 1);
}

DeviceWindow::~DeviceWindow()
{
    m_form.form().onControlChanged = nullptr;
    // The grids' models hold the form's tables: they go before the form does,
    // not with the other children after the members are gone.
    delete m_pageControl;
}

QString DeviceWindow::className() const
{
    return qt(std::string(definition().className));
}

QTreeWidgetItem* DeviceWindow::addTreeNode(QTreeWidgetItem* parent, const QString& caption, int pageIndex)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, caption);
    item->setData(0, Qt::UserRole, pageIndex);
    return item;
}

QGroupBox* DeviceWindow::addPage(int pageIndex, const QString& caption)
{
    QGroupBox* page = addGroupBox(m_pageHost, caption);
    m_pageHost->addWidget(page);
    m_pages.insert(pageIndex, page);
    return page;
}

QGroupBox* DeviceWindow::addGroupBox(QWidget* parent, const QString& caption)
{
    auto* box = new QGroupBox(caption, parent);
    setComponent(box, QStringLiteral("GroupBox%1").arg(++m_groupBoxCount), "TGroupBox");
    return box;
}

QLabel* DeviceWindow::addLabel(QWidget* parent, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    setComponent(label, QStringLiteral("Label%1").arg(++m_labelCount), "TLabel");
    return label;
}

QLineEdit* DeviceWindow::addEdit(QWidget* parent, const QString& name, int widthInChars)
{
    const Control& control = m_form.form().at(name.toStdString());
    auto* edit = new QLineEdit(parent);
    setComponent(edit, name, "TEdit");
    if (control.maxLength != 0)
        edit->setMaxLength(static_cast<int>(control.maxLength));
    if (control.password) {
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42")); // "*"
    }
    const int chars = widthInChars > 0 ? widthInChars : static_cast<int>(control.maxLength);
    if (chars > 0)
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 16);
    bind(edit, control);
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) {
        const std::string controlName = edit->objectName().toStdString();
        m_form.form().type(controlName, text.toStdString());
        // A filter that removes what was typed leaves the form's text as it
        // was, so no change is reported: put the form's text back by hand.
        syncWidget(m_form.form().at(controlName));
    });
    edit->installEventFilter(this);
    return edit;
}

QCheckBox* DeviceWindow::addCheckBox(QWidget* parent, const QString& name, const QString& caption)
{
    auto* box = new QCheckBox(caption, parent);
    setComponent(box, name, "TCheckBox");
    bind(box, m_form.form().at(name.toStdString()));
    connect(box, &QCheckBox::clicked, this,
            [this, name](bool checked) { m_form.form().setChecked(name.toStdString(), checked); });
    return box;
}

QComboBox* DeviceWindow::addComboBox(QWidget* parent, const QString& name)
{
    const Control& control = m_form.form().at(name.toStdString());
    auto* combo = new QComboBox(parent);
    setComponent(combo, name, "TComboBox");
    for (const std::string& item : control.items)
        combo->addItem(qt(item));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bind(combo, control);
    connect(combo, &QComboBox::activated, this,
            [this, name](int index) { m_form.form().choose(name.toStdString(), index); });
    return combo;
}

QTableView* DeviceWindow::addGrid(QWidget* parent, const QString& name, const QString& dataset,
                                  std::vector<GridColumn> columns)
{
    auto* grid = new QTableView(parent);
    setComponent(grid, name, "TDBGrid");
    auto* model = new DatasetModel(m_form.form().dataset(dataset.toStdString()), std::move(columns), grid);
    grid->setModel(model);
    grid->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setHighlightSections(false);
    auto* codeCells = new CodeCellDelegate(grid);
    auto* booleanCells = new BooleanCellDelegate(grid);
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->isCodeColumn(column))
            grid->setItemDelegateForColumn(column, codeCells);
        else if (model->isBooleanColumn(column))
            grid->setItemDelegateForColumn(column, booleanCells);
    }
    new CodeKeyFilter(*grid, *model);
    grid->resizeColumnsToContents();
    return grid;
}

QCheckBox* DeviceWindow::addBooleanCellCheckBox(QTableView* grid, const QString& name, const QString& field,
                                                BooleanCellOverlay::Captions captions)
{
    BooleanCellOverlay*& overlay = m_overlays[grid];
    if (overlay == nullptr)
        overlay = new BooleanCellOverlay(*grid, *static_cast<DatasetModel*>(grid->model()));
    auto* box = new QCheckBox(grid->viewport());
    setComponent(box, name, "TDBCheckBox");
    overlay->attach(field, box, std::move(captions));
    return box;
}

void DeviceWindow::finishCreation()
{
    m_firmwareSheet = new QWidget(m_pageControl);
    setComponent(m_firmwareSheet, QStringLiteral("TabSheet4"), "TTabSheet");
    auto* firmwareLayout = new QVBoxLayout(m_firmwareSheet);
    buildFirmwareSheet(m_firmwareSheet, firmwareLayout);
    firmwareLayout->addStretch(1);
    const int firmwareTab = m_pageControl->addTab(m_firmwareSheet, msg::kFirmwareTab);
    m_pageControl->setTabVisible(firmwareTab, false);
    if (m_configSheet != nullptr)
        m_pageControl->setCurrentWidget(m_configSheet);

    if (m_tree != nullptr) {
        m_tree->expandAll();
        if (m_tree->topLevelItemCount() > 0) {
            m_tree->setCurrentItem(m_tree->topLevelItem(0));
            TreeView1Click();
        }
    }
}

void DeviceWindow::buildFirmwareSheet(QWidget* sheet, QVBoxLayout* layout)
{
    addFirmwareProgress(sheet, layout);
}

void DeviceWindow::addFirmwareProgress(QWidget* holder, QVBoxLayout* layout)
{
    QLabel* progressLabel = addLabel(holder, msg::kUpdatingProgress);
    m_firmwareProgress = new QProgressBar(holder);
    setComponent(m_firmwareProgress, QStringLiteral("ProgressBar1"), "TProgressBar");
    m_firmwareProgress->setRange(0, 100);
    m_firmwareProgress->setValue(0);
    layout->addWidget(progressLabel);
    layout->addWidget(m_firmwareProgress);
}

void DeviceWindow::StartFirmwareUpdate()
{
    if (m_firmware == nullptr)
        return;
    UserDialogs& dialogs = m_services.dialogs();
    const auto chooseFile = [this, &dialogs]() -> std::optional<std::string> {
        const QString path = dialogs.openFileName(
            {m_services.folders().firmwareUpdates(), qtFilter(wendax::msg::kFirmwareFileFilter), {}, {}});
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    };
    const FirmwareSession::StartResult result = m_firmware->startFirmwareUpdate(chooseFile);
    if (!result.text.empty())
        dialogs.warnOkCancel(qt(result.title), qt(result.text));
}

// The configuration page is hidden while a firmware file is armed, so that
// nothing of it can be used in the meantime.
void DeviceWindow::enterFirmwareMode(int progressMaximum)
{
    if (m_firmwareProgress != nullptr) {
        m_firmwareProgress->setRange(0, progressMaximum);
        m_firmwareProgress->setValue(0);
    }
    setSheetShown(m_firmwareSheet, true);
    m_pageControl->setCurrentWidget(m_firmwareSheet);
    setSheetShown(m_configSheet, false);
    emit firmwareModeChanged(true);
}

void DeviceWindow::leaveFirmwareMode()
{
    setSheetShown(m_configSheet, true);
    setSheetShown(m_firmwareSheet, false);
    m_pageControl->setCurrentIndex(0);
    emit firmwareModeChanged(false);
}

void DeviceWindow::setSheetShown(QWidget* sheet, bool shown)
{
    if (sheet != nullptr)
        m_pageControl->setTabVisible(m_pageControl->indexOf(sheet), shown);
}

void DeviceWindow::initialise()
{
    const LoadResult defaults = m_form.loadDefaults(m_services.folders().programFolder().toStdString());
    if (!defaults.message.empty())
        m_services.dialogs().inform(qt(defaults.message));
    if (envelopeFor(definition().model) != nullptr)
        m_services.markNoFile();
    initialiseModel();
}

void DeviceWindow::TreeView1Click()
{
    const QTreeWidgetItem* item = m_tree ? m_tree->currentItem() : nullptr;
    if (item != nullptr)
        showPage(item->data(0, Qt::UserRole).toInt());
}

bool DeviceWindow::showPageOf(int index)
{
    if (m_tree == nullptr)
        return false;
    for (QTreeWidgetItemIterator it(m_tree); *it != nullptr; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == index) {
            m_tree->setCurrentItem(*it);
            TreeView1Click();
            return true;
        }
    }
    return false;
}

void DeviceWindow::showPage(int index)
{
    if (QGroupBox* page = m_pages.value(index))
        m_pageHost->setCurrentWidget(page);
}

void DeviceWindow::bind(QWidget* widget, const Control& control)
{
    m_bound.insert(qt(control.name), widget);
    syncWidget(control);
}

void DeviceWindow::syncWidget(const Control& control)
{
    QWidget* widget = m_bound.value(qt(control.name));
    if (widget == nullptr)
        return;
    const QSignalBlocker blocker(widget);
    widget->setEnabled(control.enabled);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != qt(control.text))
            edit->setText(qt(control.text));
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        box->setChecked(control.checked);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setCurrentIndex(control.itemIndex);
        // A list without a selection still shows a text ("Disable").
        combo->setPlaceholderText(control.itemIndex < 0 ? qt(control.text) : QString());
    }
}

bool DeviceWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit != nullptr && m_bound.value(edit->objectName()) == edit) {
            const std::string name = edit->objectName().toStdString();
            m_form.form().leave(name);
            syncWidget(m_form.form().at(name));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DeviceWindow::closeEvent(QCloseEvent* event)
{
    // A closed window waits for no answer: its timeout would report a
    // silent device after the user has moved on.
    if (m_transfer)
        m_transfer->stopResponseTimeout();
    m_form.markClosed();
    // An armed transfer ends with its window (worker stopped, port closed)
    // instead of stepping on for a window that is gone.
    if (m_firmware)
        m_firmware->windowClosing();
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace wendax::gui
