#include "app_fakes.h"

#include "app/frame_services.h"
#include "app/program_folders.h"
#include "devices/N5/n5_layout.h"
#include "devices/N5/n5_window.h"
#include "link/frame_link.h"
#include "link/serial_transport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace wendax;
using namespace wendax::gui;
using namespace wendax::gui::testing;

namespace {

/// What the link reports, recorded as a frame would show it.
class RecordingServices;
class LinkRecorder final : public wendax::FrameServices {
public:
    explicit LinkRecorder(RecordingServices& owner) : m_owner(owner) {}
    void storeComEnable(bool on) override;
    void setStatusPanel(int, std::string_view) override {}
    void logChanged(const LogChange&) override {}
    void showProgress(int) override {}
    void advanceProgress(int) override {}
    void closeProgress() override;
    void setTransferCommandsEnabled(bool) override {}
    void showMessage(const UserMessage& message) override;

private:
    RecordingServices& m_owner;
};

class RecordingServices final : public gui::FrameServices {
public:
    explicit RecordingServices(ProgramFolders folders) : m_folders(std::move(folders)) {}
    UserDialogs& dialogs() override { return scripted; }
    const ProgramFolders& folders() const override { return m_folders; }
    void logLine(const QString& line) override { log << line; }
    void markNoFile() override { ++noFileMarks; }
    void setComEnable(bool enabled) override { comEnable.push_back(enabled); }
    void showProgress() override {}
    void closeProgress() override { ++progressClosed; }
    FrameLink* frameLink() override { return &m_link; }

    ScriptedDialogs scripted;
    QStringList log;
    int noFileMarks = 0;
    int progressClosed = 0;
    std::vector<bool> comEnable;

private:
    ProgramFolders m_folders;
    LinkRecorder m_recorder{*this};
    SerialTransport m_transport; // never opened: the window's timers need no device
    QtClock m_clock{100};        // the N5's 3 s wait takes 30 ms
    FrameLink m_link{m_recorder, m_transport, m_clock};
};

void LinkRecorder::storeComEnable(bool on)
{
    m_owner.comEnable.push_back(on);
}

void LinkRecorder::closeProgress()
{
    m_owner.closeProgress();
}

void LinkRecorder::showMessage(const UserMessage& message)
{
    m_owner.scripted.error(QString::fromStdString(message.text), message.kind == UserMessage::Kind::ErrorAbort);
}

struct N5Window : ::testing::Test {
    TestFolders folders;
    RecordingServices services{folders.folders()};
    std::unique_ptr<TN5_cfg> window;

    void SetUp() override
    {
        window = std::make_unique<TN5_cfg>(services);
        window->initialise();
        window->resize(760, 420);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    template <typename W>
    W* find(const char* name) const
    {
        W* widget = window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    FormState& form() { return window->deviceForm().form(); }

    /// Shows the page of `edit`, types into it and moves the focus away.
    QString typeAndLeave(const char* editName, const QString& keys)
    {
        auto* edit = find<QLineEdit>(editName);
        showPageHolding(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, keys);
        window->treeView()->setFocus();
        return edit->text();
    }
    void showPageHolding(QWidget* widget)
    {
        for (int index = 1; index <= 5; ++index) {
            if (window->page(index)->isAncestorOf(widget))
                window->showPageOf(index);
        }
    }
    /// Sends keys to whatever has the focus, as a typing user does.
    static void typeToFocus(const QString& keys)
    {
        for (const QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
};

TEST_F(N5Window, ShowsItsCaptionsTabsAndControlLimits)
{
    EXPECT_EQ(window->objectName(), "N5_cfg");
    EXPECT_EQ(window->property("vclClass").toString(), "TN5_cfg");
    EXPECT_EQ(window->windowTitle(), "N5 cconfiguration");
    QTabWidget* tabs = window->pageControl();
    EXPECT_EQ(tabs->tabText(0), "N5 Configuration");
    EXPECT_EQ(tabs->tabText(1), "Firmware");
    EXPECT_FALSE(tabs->isTabVisible(1));
    EXPECT_EQ(tabs->currentIndex(), 0);

    const std::pair<const char*, int> limits[] = {{"Edit2", 4}, {"Edit3", 4}, {"Edit4", 3}, {"Edit31", 2},
                                                  {"Edit21", 5}, {"Edit37", 6}, {"Edit16", 3}, {"Edit17", 2}};
    for (const auto& [name, length] : limits)
        EXPECT_EQ(find<QLineEdit>(name)->maxLength(), length) << name;
    EXPECT_EQ(find<QLineEdit>("Edit37")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(find<QLineEdit>("Edit37")->text(), "907158");
    EXPECT_EQ(find<QComboBox>("ComboBox8")->currentIndex(), -1);
    EXPECT_EQ(find<QComboBox>("ComboBox8")->placeholderText(), "Disable");
    EXPECT_EQ(find<QCheckBox>("CheckBox2")->text(), "Use internal account");
    EXPECT_EQ(services.noFileMarks, 1); // creation makes the next Save ask for a name
}

TEST_F(N5Window, ValidatorsRewriteTheFieldWhenTheFocusLeaves)
{
    struct Case {
        const char* edit;
        QString typed;
        QString shown;
    };
    const Case cases[] = {
        {"Edit4", "300", "255"},      // octet
        {"Edit27", "", "0"},          // empty octet
        {"Edit21", "70000", "65535"}, // port
        {"Edit2", "12", "0000"},      // account of two digits
        {"Edit2", "1A2F", "1A2F"},
        {"Edit37", "12345", "907158"}, // password of five
        {"Edit37", "secret", "secret"},
        {"Edit3", "1g2", "12"},       // digits only
        {"Edit2", "a1bB", "0000"},    // lower case removed, then too short
        {"Edit31", "a1", "1"},        // MAC byte: lower case removed
        {"Edit32", "", "0"},
    };
    for (const Case& c : cases) {
        const QString shown = typeAndLeave(c.edit, c.typed);
        EXPECT_EQ(shown, c.shown) << c.edit << " typed " << c.typed.toStdString();
        EXPECT_EQ(QString::fromStdString(form().at(c.edit).text), shown) << c.edit;
    }
}

TEST_F(N5Window, ChangeFiltersRewriteWhileTyping)
{
    auto* account = find<QLineEdit>("Edit2");
    showPageHolding(account);
    account->setFocus();
    account->clear();
    QTest::keyClicks(account, "a1b2C");
    EXPECT_EQ(account->text(), "12C"); // before the focus leaves
    auto* testTime = find<QLineEdit>("Edit3");
    testTime->setFocus();
    testTime->clear();
    QTest::keyClicks(testTime, "1g2");
    EXPECT_EQ(testTime->text(), "12");
}

TEST_F(N5Window, TestTimeAboveTheLimitFromAnImageBecomes9999OnExit)
{
    form().setText("Edit3", "25000"); // a decoded image is not bound by the field's length
    auto* testTime = find<QLineEdit>("Edit3");
    testTime->setFocus();
    window->treeView()->setFocus();
    EXPECT_EQ(form().at("Edit3").text, "9999");
    EXPECT_EQ(testTime->text(), "9999");
}

TEST_F(N5Window, ChoosingADataProtocolAppliesTheProtocolRule)
{
    window->showPageOf(2);
    auto* toNext = find<QCheckBox>("CheckBox3");
    QTest::mouseClick(toNext, Qt::LeftButton, {}, QPoint(5, toNext->height() / 2));
    EXPECT_TRUE(form().at("CheckBox3").checked);

    auto* protocol = find<QComboBox>("ComboBox1");
    protocol->setCurrentIndex(2);
    emit protocol->activated(2); // "RRK1" picked from the list
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "UDP");
    EXPECT_FALSE(find<QComboBox>("ComboBox2")->isEnabled());
    EXPECT_FALSE(toNext->isChecked());
    EXPECT_FALSE(toNext->isEnabled());
    EXPECT_TRUE(find<QLineEdit>("Edit17")->isEnabled());
    EXPECT_FALSE(find<QLineEdit>("Edit1")->isEnabled());

    protocol->setCurrentIndex(0);
    emit protocol->activated(0);
    EXPECT_EQ(find<QComboBox>("ComboBox2")->currentText(), "TCP");
    EXPECT_TRUE(toNext->isEnabled());
    EXPECT_FALSE(toNext->isChecked());
}

TEST_F(N5Window, TreeNodeOutputsShowsOnlyItsPage)
{
    QTreeWidget* tree = window->treeView();
    EXPECT_TRUE(window->page(1)->isVisible()); // the first page after creation
    QTreeWidgetItem* outputs = tree->topLevelItem(0)->child(1);
    ASSERT_EQ(outputs->text(0), "Outputs");
    for (int click = 0; click < 2; ++click) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(outputs).center());
        for (int index = 1; index <= 5; ++index)
            EXPECT_EQ(window->page(index)->isVisible(), index == 3) << "page " << index << " click " << click;
    }
    EXPECT_EQ(window->page(3)->title(), "Outputs");
}

TEST_F(N5Window, CodeCellsTakeOnlyUpperCaseHexAndStoreNineCharactersOrZeros)
{
    window->showPageOf(4);
    QTableView* grid = window->inputGrid();
    Dataset& inputs = form().dataset("ClientDataSet1");
    const std::size_t alarmCode = *inputs.fieldIndex("Alarm_Code");
    const int column = 4; // "Alarm Code"
    ASSERT_EQ(grid->model()->headerData(column, Qt::Horizontal).toString(), "Alarm Code");

    auto typeIntoCell = [&](int row, const QString& keys, bool backspaceAfterFirst = false) {
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, column));
        for (int i = 0; i < keys.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), keys.at(i).toLatin1());
            if (i == 0 && backspaceAfterFirst)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        }
        const bool editing = qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
        QSignalSpy stored(grid->model(), &QAbstractItemModel::dataChanged);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The grid commits a cell's editor on its next turn of the event loop.
        return editing && (stored.count() > 0 || stored.wait(1000));
    };

    inputs.assign(1, alarmCode, std::string("111111111"));
    ASSERT_TRUE(typeIntoCell(0, "1aB2c3D4e5F6", true)); // lower case and Backspace dropped
    EXPECT_EQ(inputs.text(0, alarmCode), "1B23D45F6");
    ASSERT_TRUE(typeIntoCell(1, "12345678")); // eight characters
    EXPECT_EQ(inputs.text(1, alarmCode), "000000000");
    ASSERT_TRUE(typeIntoCell(2, "ABCDEF0123")); // the tenth does not fit
    EXPECT_EQ(inputs.text(2, alarmCode), "ABCDEF012");
    EXPECT_FALSE(typeIntoCell(3, "abc")); // no key opens the cell
    EXPECT_EQ(inputs.text(3, alarmCode), "000000000");
    EXPECT_EQ(grid->model()->index(0, column).data().toString(), "1B23D45F6");
}

TEST_F(N5Window, BooleanCellsShowTheirCheckBoxAndToggleOncePerClick)
{
    window->showPageOf(4);
    QTableView* grid = window->inputGrid();
    Dataset& inputs = form().dataset("ClientDataSet1");
    const std::size_t alarm = *inputs.fieldIndex("Alarm");
    auto* alarmBox = find<QCheckBox>("DBCheckBox1");
    auto* restoreBox = find<QCheckBox>("DBCheckBox2");
    EXPECT_FALSE(alarmBox->isVisible());

    const QModelIndex cell = grid->model()->index(2, 2); // "Alarm" of input 3
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    ASSERT_TRUE(alarmBox->isVisible());
    EXPECT_EQ(alarmBox->text(), "Alarm Disable");
    EXPECT_FALSE(inputs.boolean(2, alarm)); // showing the box changes nothing

    for (const bool expected : {true, false, true}) {
        QTest::mouseClick(alarmBox, Qt::LeftButton, {}, QPoint(6, alarmBox->height() / 2));
        EXPECT_EQ(inputs.boolean(2, alarm), expected);
        EXPECT_EQ(alarmBox->text(), expected ? "Alarm Enable" : "Alarm Disable");
        EXPECT_EQ(alarmBox->isChecked(), expected);
    }
    EXPECT_FALSE(inputs.boolean(1, alarm)); // only the current row

    const QModelIndex restoreCell = grid->model()->index(0, 3);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(restoreCell).center());
    EXPECT_FALSE(alarmBox->isVisible()); // leaving the column hides its box
    EXPECT_TRUE(restoreBox->isVisible());
    EXPECT_EQ(restoreBox->text(), "Restore Disable");
}

TEST_F(N5Window, DefaultConfigurationIsLoadedAtCreation)
{
    DeviceForm source(n5Definition());
    source.form().type("Edit2", "1A2F");
    source.form().type("Edit22", "4321");
    ConfigFileBuffer files;
    ASSERT_FALSE(source.saveImage(files).has_value());
    ASSERT_TRUE(QDir().mkpath(folders.program() + "/DefaultConfig"));
    QFile file(folders.program() + "/DefaultConfig/N5_Default.vcfg");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const auto sealed = files.head(4096);
    file.write(reinterpret_cast<const char*>(sealed.data()), static_cast<qint64>(sealed.size()));
    file.close();

    TN5_cfg loaded(services);
    loaded.initialise();
    EXPECT_EQ(loaded.findChild<QLineEdit*>("Edit2")->text(), "1A2F");
    EXPECT_EQ(loaded.findChild<QLineEdit*>("Edit22")->text(), "4321");
    EXPECT_TRUE(services.scripted.informations.isEmpty());
}

TEST_F(N5Window, ClosingSetsTheClosedFlag)
{
    QSignalSpy closed(window.get(), &DeviceWindow::closed);
    EXPECT_FALSE(window->isClosed());
    window->close();
    EXPECT_TRUE(window->isClosed());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(N5Window, SilentDeviceEndsTheWaitWithDeviceNotResponding)
{
    ConfigTransfer* transfer = window->configTransfer();
    ASSERT_NE(transfer, nullptr);
    transfer->startResponseTimeout();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !services.scripted.errors.isEmpty(); }, 1000));
    EXPECT_FALSE(transfer->responseTimeoutActive());
    EXPECT_EQ(services.comEnable, std::vector<bool>{false});
    EXPECT_EQ(services.scripted.errors, QStringList{"Device Not Responding"});
    EXPECT_EQ(services.progressClosed, 1);
}

TEST_F(N5Window, ClosingStopsTheResponseTimeout)
{
    ConfigTransfer* transfer = window->configTransfer();
    transfer->startResponseTimeout();
    window->close();
    EXPECT_FALSE(transfer->responseTimeoutActive());
}

} // namespace
