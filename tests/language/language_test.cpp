#include "lng_test_support.h"

#include "app/language/language.h"
#include "app/language/messages.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace wendax {
namespace {

template <class T, class Parent, class... Args>
T* component(Parent* parent, const char* name, const char* vclClass, Args&&... args)
{
    auto* c = new T(std::forward<Args>(args)..., parent);
    c->setObjectName(QLatin1StringView(name));
    c->setProperty("vclClass", QLatin1StringView(vclClass));
    return c;
}

/// A small device window built the way every window is.
struct TestWindow {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QLabel* label2 = nullptr;
    QLabel* label3 = nullptr;
    QLineEdit* edit6 = nullptr;
    QGroupBox* groupBox1 = nullptr;
    QCheckBox* checkBox2 = nullptr;
    QComboBox* comboBox1 = nullptr;
    QTabWidget* pageControl1 = nullptr;
    QWidget* tabSheet1 = nullptr;
    QStandardItemModel* grid = nullptr;
    QTreeWidget* treeView1 = nullptr;
    QToolButton* toolButton1 = nullptr;

    TestWindow()
    {
        QWidget* w = window.get();
        w->setObjectName("N5_cfg");
        w->setWindowTitle("N5 configuration");
        label2 = component<QLabel>(w, "Label2", "TLabel", "Account:");
        label3 = component<QLabel>(w, "Label3", "TLabel");
        edit6 = component<QLineEdit>(w, "Edit6", "TEdit", "1234");
        groupBox1 = component<QGroupBox>(w, "GroupBox1", "TGroupBox", "Network");
        checkBox2 = component<QCheckBox>(groupBox1, "CheckBox2", "TCheckBox", "Enable");
        comboBox1 = component<QComboBox>(w, "ComboBox1", "TComboBox");
        comboBox1->addItems({"Contact ID", "SIA"});
        pageControl1 = component<QTabWidget>(w, "PageControl1", "TPageControl");
        tabSheet1 = component<QWidget>(static_cast<QWidget*>(nullptr), "TabSheet1", "TTabSheet");
        pageControl1->addTab(tabSheet1, "General");

        auto* view = component<QTableView>(w, "DBGrid1", "TDBGrid");
        grid = new QStandardItemModel(2, 3, view);
        grid->setHorizontalHeaderLabels({"Zone", "", "Code"});
        view->setModel(grid);

        treeView1 = component<QTreeWidget>(w, "TreeView1", "TTreeView");
        auto* settings = new QTreeWidgetItem(treeView1, QStringList{"Settings"});
        new QTreeWidgetItem(settings, QStringList{"Network"});
        new QTreeWidgetItem(settings, QStringList{""});
        new QTreeWidgetItem(treeView1, QStringList{"Events"});

        auto* toolBar = component<QToolBar>(w, "ToolBar1", "TToolBar");
        toolButton1 = component<QToolButton>(toolBar, "ToolButton1", "TToolButton");
        toolButton1->setText("Open");
        component<QAction>(w, "Action1", "TAction")->setText("Open");
    }
};

/// The entries the test window's default file holds, in order.
const std::vector<LngEntry> kTestWindowDefaults = {
    {"N5_cfg", {"N5 configuration"}},
    {"TLabel(Label2.Caption)", {"Account:"}},
    {"TEdit(Edit6.Text)", {"1234"}},
    {"TGroupBox(GroupBox1.Caption)", {"Network"}},
    {"TCheckBox(CheckBox2.Caption)", {"Enable"}},
    {"TComboBox(ComboBox1.Text)", {"Contact ID"}},
    {"TTabSheet(TabSheet1.Caption)", {"General"}},
    {"TDBGrid(DBGrid1.Title[0].Caption)", {"Zone"}},
    {"TDBGrid(DBGrid1.Title[2].Caption)", {"Code"}},
    {"TTreeView(TreeView1.Item[0])", {"Settings"}},
    {"TTreeView(TreeView1.Item[1])", {"Network"}},
    {"TTreeView(TreeView1.Item[3])", {"Events"}},
};

/// Where ComboBox1 is in kTestWindowDefaults and shownTexts().
constexpr qsizetype kComboBox1 = 5;

/// The texts a user sees, in the order of kTestWindowDefaults.
QStringList shownTexts(const TestWindow& t)
{
    return {t.window->windowTitle(),
            t.label2->text(),
            t.edit6->text(),
            t.groupBox1->title(),
            t.checkBox2->text(),
            t.comboBox1->currentText(),
            t.pageControl1->tabText(0),
            t.grid->headerData(0, Qt::Horizontal).toString(),
            t.grid->headerData(2, Qt::Horizontal).toString(),
            t.treeView1->topLevelItem(0)->text(0),
            t.treeView1->topLevelItem(0)->child(0)->text(0),
            t.treeView1->topLevelItem(1)->text(0)};
}

QStringList builtInTexts()
{
    QStringList texts;
    for (const LngEntry& e : kTestWindowDefaults)
        texts.append(e.texts[0]);
    return texts;
}

/// Every key of the test window with an English and a German text.
LngFile englishGerman()
{
    LngFile file{{"English", "Deutsch"}, {}};
    for (const LngEntry& e : kTestWindowDefaults)
        file.entries.push_back({e.key, {e.texts[0] + " (en)", e.texts[0] + " (de)"}});
    // A drop-down list can only show its own items.
    file.entries[kComboBox1].texts = QStringList{"Contact ID", "SIA"};
    return file;
}

QStringList column(const LngFile& file, qsizetype language)
{
    QStringList texts;
    for (const LngEntry& e : file.entries)
        texts.append(e.texts[language]);
    return texts;
}

class Language : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeLanguageFile(const QString& name, const LngFile& file)
    {
        ASSERT_TRUE(writeLngFile(path(name), file).written);
    }
    ApplyLanguageResult apply(QWidget& window, const QString& fileName)
    {
        return ApplyLanguage(window, fileName, {m_dir.path(), [this] { return m_selected; }});
    }

    QTemporaryDir m_dir;
    QString m_selected;
};

TEST_F(Language, DefaultFileListsTheWindowThenEveryShownText)
{
    TestWindow t;
    const ApplyLanguageResult result = apply(*t.window, msg::kN5Lng);

    EXPECT_EQ(result.defaultFile.status, FileStatus::Done);
    const LngFile defaults = test::readBack(path("N5_Default.lng"));
    EXPECT_EQ(defaults.languages, QStringList{msg::kEnglish});
    EXPECT_EQ(defaults.entries, kTestWindowDefaults);
}

TEST_F(Language, DefaultFileKeepsAnEmptyWindowCaption)
{
    TestWindow t;
    t.window->setWindowTitle(QString());
    apply(*t.window, msg::kN5Lng);
    EXPECT_EQ(test::readBack(path("N5_Default.lng")).entries.front(), (LngEntry{"N5_cfg", {""}}));
}

TEST_F(Language, SelectedLanguageChoosesTheTextColumn)
{
    struct Case { const char* selected; qsizetype column; const char* active; };
    const Case cases[] = {
        {"Deutsch", 1, "Deutsch"},
        {"English", 0, "English"},
        {"Klingon", 0, "English"},
        {"", 0, "English"},
        {"deutsch", 0, "English"}, // names match exactly
    };
    const LngFile file = englishGerman();
    writeLanguageFile("N5.lng", file);
    for (const Case& c : cases) {
        TestWindow t;
        m_selected = QLatin1StringView(c.selected);
        const ApplyLanguageResult result = apply(*t.window, "N5.lng");
        EXPECT_EQ(result.languageFile.status, FileStatus::Done) << c.selected;
        EXPECT_EQ(shownTexts(t), column(file, c.column)) << c.selected;
        EXPECT_EQ(result.languageNames, file.languages) << c.selected;
        EXPECT_EQ(result.activeLanguage, QLatin1StringView(c.active)) << c.selected;
    }
}

TEST_F(Language, LastOfEqualLanguageNamesIsActive)
{
    writeLanguageFile("N5.lng", {{"Deutsch", "Deutsch"}, {{"TLabel(Label2.Caption)", {"first", "last"}}}});
    m_selected = "Deutsch";
    TestWindow t;
    apply(*t.window, "N5.lng");
    EXPECT_EQ(t.label2->text(), "last");
}

TEST_F(Language, LookupRules)
{
    // Exact match beats a case-blind one even when it comes later; an empty
    // translation keeps the built-in text; an absent key shows "NULL".
    writeLanguageFile("N5.lng", {{"English"},
                                 {{"N5_cfg", {"N5 window"}},
                                  {"TLabel(Label2.Caption)", {""}},
                                  {"tgroupbox(GROUPBOX1.caption)", {"Net"}},
                                  {"TCheckBox(checkbox2.caption)", {"case-blind"}},
                                  {"TCheckBox(CheckBox2.Caption)", {"exact"}},
                                  {"TTreeView(TreeView1.Item[0])", {"first"}},
                                  {"TTreeView(TreeView1.Item[0])", {"second"}}}});
    TestWindow t;
    apply(*t.window, "N5.lng");
    EXPECT_EQ(t.window->windowTitle(), "N5 window");
    EXPECT_EQ(t.label2->text(), "Account:");
    EXPECT_EQ(t.groupBox1->title(), "Net");
    EXPECT_EQ(t.checkBox2->text(), "exact");
    EXPECT_EQ(t.treeView1->topLevelItem(0)->text(0), "first");
    EXPECT_EQ(t.edit6->text(), msg::kNull);
    EXPECT_EQ(t.pageControl1->tabText(0), msg::kNull);
    EXPECT_EQ(t.grid->headerData(2, Qt::Horizontal).toString(), msg::kNull);
    EXPECT_EQ(t.treeView1->topLevelItem(1)->text(0), msg::kNull);
}

TEST_F(Language, TextsWithoutKeysAreLeftAlone)
{
    // Empty texts have no key in the default file, so no translator can fill
    // them: they stay empty instead of turning into "NULL". Tool bars, tool
    // buttons and actions are never translated, and a drop-down list keeps
    // its choice when the translation names no item of it.
    writeLanguageFile("N5.lng", {{"English"}, {{"TToolButton(ToolButton1.Caption)", {"Offen"}}}});
    TestWindow t;
    apply(*t.window, "N5.lng");
    EXPECT_EQ(t.label3->text(), "");
    EXPECT_EQ(t.grid->headerData(1, Qt::Horizontal).toString(), "");
    EXPECT_EQ(t.treeView1->topLevelItem(0)->child(1)->text(0), "");
    EXPECT_EQ(t.toolButton1->text(), "Open");
    EXPECT_EQ(t.comboBox1->currentText(), "Contact ID");
    EXPECT_EQ(t.label2->text(), msg::kNull);
}

TEST_F(Language, ComboBoxTranslationSelectsTheNamedItem)
{
    writeLanguageFile("N5.lng", {{"English"}, {{"TComboBox(ComboBox1.Text)", {"SIA"}}}});
    TestWindow t;
    apply(*t.window, "N5.lng");
    EXPECT_EQ(t.comboBox1->currentIndex(), 1);
}

TEST_F(Language, CheckedFileAppendsTheMissingKeysInEveryLanguage)
{
    const LngFile partial{{"English", "Deutsch"},
                          {{"TLabel(Label2.Caption)", {"Account no.:", "Konto:"}},
                           {"TLabel(Removed1.Caption)", {"Gone", "Weg"}},
                           {"tedit(edit6.text)", {"", ""}}}};
    writeLanguageFile("N5.lng", partial);
    TestWindow t;
    const ApplyLanguageResult result = apply(*t.window, "N5.lng");

    EXPECT_EQ(result.checkedFile.status, FileStatus::Done);
    LngFile expected = partial;
    for (const LngEntry& e : kTestWindowDefaults) {
        if (e.key != "TLabel(Label2.Caption)" && e.key != "TEdit(Edit6.Text)")
            expected.entries.push_back({e.key, {e.texts[0], e.texts[0]}});
    }
    EXPECT_EQ(test::readBack(path("N5_Checked.lng")), expected);
}

TEST_F(Language, ReapplyingWritesTheTranslatedTextsAsDefaults)
{
    writeLanguageFile("N5.lng", englishGerman());
    TestWindow t;
    m_selected = "Deutsch";
    apply(*t.window, "N5.lng");
    m_selected = "English";
    apply(*t.window, "N5.lng");

    const LngFile defaults = test::readBack(path("N5_Default.lng"));
    EXPECT_EQ(column(defaults, 0), column(englishGerman(), 1));
    EXPECT_EQ(shownTexts(t), column(englishGerman(), 0));
}

TEST_F(Language, WindowKeepsItsTextsWithoutAUsableLanguageFile)
{
    struct Case { const char* name; QByteArray bytes; FileStatus status; };
    const Case cases[] = {
        {"missing", {}, FileStatus::Missing},
        {"names_no_language", serializeLng({{}, {{"TLabel(Label2.Caption)", {}}}}), FileStatus::Refused},
        {"header_cut", serializeLng(englishGerman()).first(10), FileStatus::Refused},
    };
    for (const Case& c : cases) {
        QFile::remove(path("N5.lng"));
        if (!c.bytes.isEmpty())
            test::writeBytes(path("N5.lng"), c.bytes);
        TestWindow t;
        m_selected = "Deutsch";
        const ApplyLanguageResult result = apply(*t.window, "N5.lng");
        EXPECT_EQ(result.languageFile.status, c.status) << c.name;
        EXPECT_EQ(shownTexts(t), builtInTexts()) << c.name;
        EXPECT_EQ(result.defaultFile.status, FileStatus::Done) << c.name;
        EXPECT_EQ(result.checkedFile.status, FileStatus::Skipped) << c.name;
        EXPECT_TRUE(result.languageNames.isEmpty()) << c.name;
        EXPECT_TRUE(result.activeLanguage.isEmpty()) << c.name;
    }
}

TEST_F(Language, CutLanguageFileTranslatesWithItsWholeEntries)
{
    const QByteArray whole = serializeLng(englishGerman());
    test::writeBytes(path("N5.lng"), whole.chopped(3));
    TestWindow t;
    m_selected = "Deutsch";
    const ApplyLanguageResult result = apply(*t.window, "N5.lng");

    EXPECT_EQ(result.languageFile.status, FileStatus::Cut);
    QStringList expected = column(englishGerman(), 1);
    expected.last() = msg::kNull;
    EXPECT_EQ(shownTexts(t), expected);
    const LngFile checked = test::readBack(path("N5_Checked.lng"));
    EXPECT_EQ(checked.entries.back(), (LngEntry{"TTreeView(TreeView1.Item[3])", {"Events", "Events"}}));
}

TEST_F(Language, FolderProblemsDoNotStopTheWindow)
{
    TestWindow t;
    const ApplyLanguageResult noFolder =
        ApplyLanguage(*t.window, "N5.lng", {path("no/such/Language"), [] { return QString("Deutsch"); }});
    EXPECT_EQ(noFolder.defaultFile.status, FileStatus::Failed);
    EXPECT_FALSE(noFolder.defaultFile.detail.isEmpty());
    EXPECT_EQ(noFolder.languageFile.status, FileStatus::Missing);
    EXPECT_EQ(shownTexts(t), builtInTexts());

    // A default file that cannot be replaced: the language still applies.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("N5_Default.lng"));
    writeLanguageFile("N5.lng", englishGerman());
    m_selected = "Deutsch";
    const ApplyLanguageResult blocked = apply(*t.window, "N5.lng");
    EXPECT_EQ(blocked.defaultFile.status, FileStatus::Failed);
    EXPECT_EQ(blocked.checkedFile.status, FileStatus::Skipped);
    EXPECT_EQ(shownTexts(t), column(englishGerman(), 1));

    // No settings store wired yet: the first language.
    TestWindow unwired;
    ApplyLanguage(*unwired.window, "N5.lng", {m_dir.path(), {}});
    EXPECT_EQ(shownTexts(unwired), column(englishGerman(), 0));
}

/// A frame: menus, an action, a tool bar, a device window inside and a dialog.
struct TestFrame {
    QMainWindow window;
    QAction* open1 = nullptr;
    QMenu* file1 = nullptr;
    QLabel* childLabel = nullptr;

    TestFrame()
    {
        window.setObjectName("MainForm");
        window.setWindowTitle("Wendax");
        file1 = window.menuBar()->addMenu("&File");
        file1->menuAction()->setObjectName("File1");
        file1->menuAction()->setProperty("vclClass", "TMenuItem");
        open1 = component<QAction>(file1, "Open1", "TMenuItem");
        open1->setText("&Open");
        file1->addAction(open1);
        component<QAction>(&window, "FileOpen1", "TAction")->setText("&Open");
        auto* toolBar = component<QToolBar>(&window, "ToolBar1", "TToolBar");
        window.addToolBar(toolBar);

        auto* area = new QMdiArea(&window);
        window.setCentralWidget(area);
        auto* device = new QWidget;
        device->setObjectName("N5_cfg");
        childLabel = component<QLabel>(device, "Label9", "TLabel", "Inside the device window");
        area->addSubWindow(device);

        // Another form the frame happens to parent, like the Settings dialog.
        auto* settings = new QDialog(&window);
        settings->setObjectName("Form2");
        component<QLabel>(settings, "Label1", "TLabel", "Serial Port:");
    }
};

TEST_F(Language, FrameTranslatesItsMenusButNotOtherWindows)
{
    writeLanguageFile("Main.lng", {{"English", "Deutsch"},
                                   {{"MainForm", {"Wendax", "Wendax (de)"}},
                                    {"TMenuItem(File1.Caption)", {"&File", "&Datei"}},
                                    {"TMenuItem(Open1.Caption)", {"&Open", "\xC3\x96&ffnen"}}}});
    m_selected = "Deutsch";
    TestFrame f;
    const ApplyLanguageResult result = apply(f.window, msg::kMainLng);

    const LngFile defaults = test::readBack(path("Main_Default.lng"));
    const std::vector<LngEntry> expectedDefaults = {
        {"MainForm", {"Wendax"}},
        {"TMenuItem(File1.Caption)", {"&File"}},
        {"TMenuItem(Open1.Caption)", {"&Open"}},
    };
    EXPECT_EQ(defaults.entries, expectedDefaults);
    EXPECT_EQ(f.window.windowTitle(), "Wendax (de)");
    EXPECT_EQ(f.file1->title(), "&Datei");
    EXPECT_EQ(f.open1->text(), QString::fromUtf8("\xC3\x96&ffnen"));
    EXPECT_EQ(f.childLabel->text(), "Inside the device window");
    EXPECT_EQ(result.languageNames, (QStringList{"English", "Deutsch"}));
    EXPECT_EQ(result.activeLanguage, "Deutsch");
}

TEST_F(Language, EveryTruncationOfALanguageFileAppliesSafely)
{
    const QByteArray whole = serializeLng(englishGerman());
    m_selected = "Deutsch";
    for (qsizetype length = 0; length <= whole.size(); length += 7) {
        test::writeBytes(path("N5.lng"), whole.first(length));
        TestWindow t;
        const ApplyLanguageResult result = apply(*t.window, "N5.lng");
        const QStringList shown = shownTexts(t);
        const QStringList german = column(englishGerman(), 1);
        if (result.languageFile.status == FileStatus::Refused) {
            EXPECT_EQ(shown, builtInTexts()) << length;
            continue;
        }
        // Whole entries translate; the rest show "NULL", but for the
        // drop-down list, which keeps its choice.
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QString missing = i == kComboBox1 ? builtInTexts()[i] : QString(msg::kNull);
            EXPECT_TRUE(shown[i] == german[i] || shown[i] == missing) << length << " " << i;
        }
        EXPECT_EQ(result.checkedFile.status, FileStatus::Done) << length;
    }
}

} // namespace
} // namespace wendax
