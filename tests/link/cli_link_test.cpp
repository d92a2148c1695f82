// wendax-cli read, write and simulate as a user runs them.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliRun runCli(const QStringList& args, int boundMs = 20000)
{
    QProcess cli;
    cli.start(QStringLiteral(WENDAX_CLI), args);
    CliRun run;
    if (!cli.waitForFinished(boundMs)) {
        cli.kill();
        cli.waitForFinished();
        run.err = "did not finish";
        return run;
    }
    run.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.out = cli.readAllStandardOutput().toStdString();
    run.err = cli.readAllStandardError().toStdString();
    return run;
}

/// `wendax-cli simulate` in the background, as a user starts it.
class SimulatorProcess {
public:
    explicit SimulatorProcess(QStringList args)
    {
        m_process.start(QStringLiteral(WENDAX_CLI), QStringList{"simulate"} + args);
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_path = m_process.readLine().trimmed().toStdString();
    }
    ~SimulatorProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    QString path() const { return QString::fromStdString(m_path); }
    /// The simulator's report of what it saw, once it has ended.
    std::string stop()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
        return m_process.readAllStandardOutput().toStdString();
    }

private:
    QProcess m_process;
    std::string m_path;
};

TEST(CliLink, ReadSavesTheDevicesConfigurationAndWriteSendsItBack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("n5.vcfg");
    SimulatorProcess device({"--model", "N5", "--version", "2.5"});
    ASSERT_EQ(device.path().left(5), "/dev/");

    const CliRun read = runCli({"read", "--model", "N5", "--port", device.path(), "-o", file});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_EQ(read.out, "Device version: 2.5\nConfiguration was received\n");
    EXPECT_EQ(QFile(file).size(), 8192);
    EXPECT_EQ(runCli({"decode", "--model", "N5", file}).exitCode, 0);

    const CliRun json = runCli({"read", "--model", "N5", "--port", device.path(), "--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\n  \"model\": \"N5\",", 0), 0u) << "standard output holds the JSON only";
    EXPECT_NE(json.err.find("Configuration was received"), std::string::npos);

    const CliRun write = runCli({"write", "--model", "N5", "--port", device.path(), file});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out, "Configuration was sent\n");
    EXPECT_NE(device.stop().find("<- CFGDATA and 4098 bytes: checksums good\n-> CfgOK"), std::string::npos);
}

TEST(CliLink, FailuresPrintTheMessagesAndExitWith1)
{
    QTemporaryDir dir;
    const QString n14File = dir.filePath("n14.vcfg");
    {
        SimulatorProcess n14({"--model", "N14"});
        const CliRun read = runCli({"read", "--model", "N14", "--port", n14.path(), "-o", n14File});
        ASSERT_EQ(read.exitCode, 0) << read.out << read.err;
    }
    struct Case {
        const char* name;
        QStringList simulate;
        QStringList command;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"damaged_block",
         {"--model", "N5", "--damage", "block"},
         {"read", "--model", "N5"},
         "Device version: 1.0\nInvalid Data\n"},
        {"silent_rx8", {"--model", "RX8", "--silent"}, {"read", "--model", "RX8"}, "Device Not Responding\n"},
        {"n14_write_error",
         {"--model", "N14", "--write-answer", "error"},
         {"write", "--model", "N14", n14File},
         "Write ERROR\nWrite Error\n"},
    };
    for (const auto& c : cases) {
        SimulatorProcess device(c.simulate);
        const CliRun run = runCli(c.command + QStringList{"--port", device.path()});
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.out, c.shown) << c.name << run.err;
    }
    const CliRun missing = runCli({"read", "--model", "N5", "--port", "/dev/wendax-no-such-port"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out.rfind("Cannot open /dev/wendax-no-such-port: ", 0), 0u) << missing.out;
}

TEST(CliLink, CommandLinesTheLinkCommandsRefuse)
{
    struct Case {
        const char* name;
        QStringList args;
        int exitCode;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {"unknown_damage", {"simulate", "--model", "N5", "--damage", "sideways"}, 2, "--damage takes block or crc"},
        {"pl3_has_no_configuration", {"simulate", "--model", "PL3"}, 2, "PL3 has no configuration"},
        {"mt6_part_4", {"simulate", "--model", "MT6", "--damage-part", "4"}, 2, "from 1 to 3"},
        {"read_without_port", {"read", "--model", "N5"}, 2, "--port is required"},
        {"json_without_window", {"read", "--model", "RX8", "--port", "/dev/null", "--json"}, 1, "not supported yet"},
        {"n14v2_write", {"write", "--model", "N14v2", "--port", "/dev/null", "x.vcfg"}, 1, "cannot be written"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << c.name << ": " << run.err;
    }
    const CliRun help = runCli({"simulate", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--ack-parts N"), std::string::npos);
}

} // namespace
