#include "lng_test_support.h"

#include "app/language/code_page.h"
#include "app/language/lng_text.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wendax {
namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun lngtool(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(WENDAX_LNGTOOL), arguments);
    ToolRun run;
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.out = tool.readAllStandardOutput();
    run.err = tool.readAllStandardError();
    return run;
}

class LngTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const char* name) const { return m_dir.filePath(QLatin1StringView(name)); }
    QTemporaryDir m_dir;
};

TEST_F(LngTool, BuildThenDumpGivesTheTextBack)
{
    LngFile file = test::twoLanguageSample();
    file.entries.push_back({"TLabel(Label7.Caption)", {fromCodePage("Gr\xFC\xDF" "e \x80 \x81"), "tab\tand\\"}});
    const QByteArray text = lngToText(file).toUtf8();
    test::writeBytes(path("Main.txt"), text);

    const ToolRun build = lngtool({"build", path("Main.txt"), path("Main.lng")});
    ASSERT_EQ(build.exitCode, 0) << build.err.constData();
    EXPECT_EQ(test::readBack(path("Main.lng")), file);

    const ToolRun dump = lngtool({"dump", path("Main.lng")});
    EXPECT_EQ(dump.exitCode, 0) << dump.err.constData();
    EXPECT_EQ(dump.out, text);
}

TEST_F(LngTool, ReportsBadInputWithoutWriting)
{
    test::writeBytes(path("bad.txt"), "@languages\tEnglish\nTLabel(Label2.Caption)\tone\ttwo\n");
    const ToolRun build = lngtool({"build", path("bad.txt"), path("bad.lng")});
    EXPECT_EQ(build.exitCode, 1);
    EXPECT_TRUE(build.err.contains("line 2: 2 texts for 1 languages")) << build.err.constData();
    EXPECT_FALSE(QFile::exists(path("bad.lng")));

    const QByteArray whole = serializeLng(test::twoLanguageSample());
    test::writeBytes(path("cut.lng"), whole.chopped(2));
    const ToolRun cut = lngtool({"dump", path("cut.lng")});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(cut.out.contains("TLabel(Label2.Caption)\tAccount:\tKonto:\n")) << cut.out.constData();
    EXPECT_FALSE(cut.out.contains("TEdit(Edit6.Text)"));
    EXPECT_TRUE(cut.err.contains("entry 3 of 3")) << cut.err.constData();

    EXPECT_EQ(lngtool({"dump", path("none.lng")}).exitCode, 1);
    EXPECT_EQ(lngtool({"frobnicate"}).exitCode, 2);
}

} // namespace
} // namespace wendax
