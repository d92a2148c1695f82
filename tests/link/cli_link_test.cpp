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

// ---- flash ---------------------------------------------------------------------------

QByteArray threeRecords()
{
    QByteArray file;
    for (int length : {5, 300, 17}) {
        file.append(static_cast<char>(length >> 8));
        file.append(static_cast<char>(length & 0xFF));
        for (int i = 0; i < length; ++i)
            file.append(static_cast<char>(i * 5 + length));
    }
    return file;
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(CliFlash, EveryRecordReachesTheSimulatedBootloaderByteForByte)
{
    QTemporaryDir dir;
    const QByteArray firmware = threeRecords();
    const QString received = dir.filePath("received.bin");
    SimulatorProcess device({"--model", "N5", "--bootloader", "--received", received, "--quiet"});
    const CliRun run = runCli({"flash", "--model", "N5", "--port", device.path(), "--timeout", "15",
                               writeFile(dir, "n5.enc", firmware)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Every record was acknowledged (3 records).\n");
    for (const char* line : {"Firmware file has been loaded\nPlease connect and reset your hardware\n",
                             "Hardware N5 is connected\nBootloader SW:N5_070125\nPlease wait...\n"
                             "Updating firmware is proceed...\n",
                             "Progress: 95% (322/338)\n", "Firmware file is closing\n"})
        EXPECT_NE(run.err.find(line), std::string::npos) << line << " in:\n" << run.err;
    device.stop();
    EXPECT_EQ(readFile(received), firmware);
}

TEST(CliFlash, FailuresExitWith1AndSayWhy)
{
    QTemporaryDir dir;
    const QString good = writeFile(dir, "good.enc", threeRecords());
    struct Case {
        const char* name;
        QStringList simulate;
        QStringList flash;
        std::string out;
        std::string errPart;
        QByteArray received;
    };
    const std::vector<Case> cases = {
        {"crc_error_at_record_2",
         {"--model", "RX8", "--bootloader-fail", "crc:2"},
         {"--model", "RX8", "--timeout", "15", good},
         "Update failure\n",
         "Update file is damaged, CRC ERROR...\nUpdate failure\n",
         threeRecords().left(2 + 5 + 2 + 300)},
        {"record_past_the_end_refused_before_sending",
         {"--model", "N5"},
         {"--model", "N5", "--timeout", "15", writeFile(dir, "short.enc", QByteArray("\x00\x09\x01\x02", 4))},
         "",
         "short.enc is not a firmware file: Record 1 at byte 0 needs 9 bytes, but the file ends after 2.",
         {}},
        {"silent_bootloader_and_a_timeout",
         {"--model", "MT43", "--silent"},
         {"--model", "MT43", "--timeout", "1", good},
         "",
         "no end within 1 s; the update was stopped after 0 records",
         {}},
    };
    for (const auto& c : cases) {
        const QString received = dir.filePath(QString::fromLatin1(c.name) + ".bin");
        SimulatorProcess device(c.simulate + QStringList{"--bootloader", "--received", received, "--quiet"});
        const CliRun run = runCli(QStringList{"flash", "--port", device.path()} + c.flash);
        EXPECT_EQ(run.exitCode, 1) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_NE(run.err.find(c.errPart), std::string::npos) << c.name << ":\n" << run.err;
        device.stop();
        EXPECT_EQ(readFile(received), c.received) << c.name;
    }
}

TEST(CliFlash, AnEndRequestStopsTheUpdateCleanly)
{
    QTemporaryDir dir;
    SimulatorProcess device({"--model", "N5", "--bootloader", "--silent", "--quiet"});
    QProcess flash;
    flash.setReadChannel(QProcess::StandardError);
    flash.start(QStringLiteral(WENDAX_CLI), {"flash", "--model", "N5", "--port", device.path(),
                                             writeFile(dir, "n5.enc", threeRecords())});
    QByteArray err;
    while (!err.contains("Please connect and reset your hardware") && flash.waitForReadyRead(5000))
        err += flash.readAllStandardError();
    ASSERT_TRUE(err.contains("Please connect and reset your hardware")) << err.toStdString();
    flash.terminate();
    ASSERT_TRUE(flash.waitForFinished(5000));
    err += flash.readAllStandardError();
    EXPECT_EQ(flash.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(flash.exitCode(), 1);
    EXPECT_TRUE(err.contains("Firmware file is closing\n")) << err.toStdString();
    EXPECT_TRUE(err.contains("interrupted; the update was stopped after 0 records")) << err.toStdString();
}

TEST(CliFlash, CommandLinesRefused)
{
    struct Case {
        const char* name;
        QStringList args;
        int exitCode;
        std::string errorPart;
    };
    const std::vector<Case> cases = {
        {"serial_model_without_port", {"flash", "--model", "N5", "x.enc"}, 2, "--port is required"},
        {"n14v2_with_port", {"flash", "--model", "N14v2", "--port", "/dev/null", "x.enc"}, 2, "over USB HID"},
        {"timeout_zero", {"flash", "--model", "N5", "--port", "/dev/null", "--timeout", "0", "x.enc"}, 2,
         "--timeout takes"},
        {"unreadable_file", {"flash", "--model", "PL3", "--port", "/dev/null", "/nonexistent/x.enc"}, 1,
         "File Error: Can't perform one of the following file operations: Open, Seek, Read, Close."},
        {"n14v2_bootloader_simulated", {"simulate", "--model", "N14v2", "--bootloader"}, 1, "USB HID device"},
        {"fail_without_bootloader", {"simulate", "--model", "N5", "--bootloader-fail", "crc:1"}, 2,
         "need --bootloader"},
        {"fail_record_0", {"simulate", "--model", "PL3", "--bootloader", "--bootloader-fail", "reset:0"}, 2,
         "--bootloader-fail takes"},
    };
    for (const auto& c : cases) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << c.name << ": " << run.err;
    }
    const CliRun help = runCli({"flash", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--timeout SECONDS"), std::string::npos);
}

} // namespace
