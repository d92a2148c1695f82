#include "tools/cli/command.h"
#include "tools/cli/form_json.h"

#include "core/config_file.h"
#include "core/image_crc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace wendax::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(std::string_view name, std::vector<std::string> args)
{
    for (const Command& command : configCommands()) {
        if (command.name == name) {
            std::ostringstream out;
            std::ostringstream err;
            const int status = command.run(args, {out, err});
            return {status, out.str(), err.str()};
        }
    }
    ADD_FAILURE() << "no command " << name;
    return {-1, {}, {}};
}

std::vector<std::uint8_t> bytesOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const fs::path& path, std::string_view text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void write(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
}

class CliConfig : public ::testing::Test {
protected:
    // One folder per test process: CTest runs the tests of this file in parallel.
    fs::path dir = fs::path(::testing::TempDir()) / ("cli_config_" + std::to_string(::getpid()));

    void SetUp() override
    {
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path encodeSettings(std::string_view json, const char* name = "out.vcfg")
    {
        write(dir / "settings.json", json);
        const CliRun r = run("encode", {"--model", "N5", (dir / "settings.json").string(), (dir / name).string()});
        EXPECT_EQ(r.status, kOk) << r.err;
        return dir / name;
    }
};

constexpr std::string_view kSettings = R"({
  "model": "N5",
  "settings": {"Edit2": "1a2F", "Edit3": "25", "ComboBox1": "RRK1", "Edit17": "07", "Edit37": "secret",
               "ComboBox8": "EBS Output control", "CheckBox6": true, "Edit31": "fF"},
  "tables": {"ClientDataSet1": [{"Alarm": true}, {}, {"Alarm": true, "Alarm_Code": "E130000A1"}],
             "ClientDataSet2": [{"Event_Code": "123"}]}
})";

TEST_F(CliConfig, EncodeThenDecodeRestoresEverySettingAsTyped)
{
    const auto file = encodeSettings(kSettings);
    EXPECT_EQ(fs::file_size(file), 8192U);

    const CliRun decoded = run("decode", {"--model", "N9", file.string()});
    EXPECT_EQ(decoded.status, kFailed) << "an N5 file is no N14 configuration";
    const CliRun r = run("decode", {"--model", "n5", file.string()});
    ASSERT_EQ(r.status, kOk) << r.err;
    const Json json = Json::parse(r.out);
    const Json& s = json["settings"];
    EXPECT_EQ(s["Edit2"], "0000") << "lower-case a is filtered, leaving three digits";
    EXPECT_EQ(s["Edit3"], "25");
    EXPECT_EQ(s["ComboBox1"], "RRK1");
    EXPECT_EQ(s["ComboBox2"], "UDP") << "the protocol rule ran";
    EXPECT_EQ(s["Edit17"], "7");
    EXPECT_EQ(s["Edit37"], "secret");
    EXPECT_EQ(s["ComboBox8"], "EBS Output control");
    EXPECT_EQ(s["ComboBox9"], nullptr);
    EXPECT_EQ(s["CheckBox6"], true);
    EXPECT_EQ(s["Edit31"], "0F");
    const Json& inputs = json["tables"]["ClientDataSet1"];
    EXPECT_EQ(inputs[0]["Alarm"], true);
    EXPECT_EQ(inputs[1]["Alarm"], false);
    EXPECT_EQ(inputs[2]["Alarm_Code"], "E130000A1");
    EXPECT_EQ(inputs[3]["Zn_Name"], "Input 4");
    EXPECT_EQ(json["tables"]["ClientDataSet2"][0]["Event_Code"], "000000000") << "three characters store zeros";
}

TEST_F(CliConfig, EncodingADecodedDocumentReproducesTheFileByteForByte)
{
    const auto first = encodeSettings(kSettings, "first.vcfg");
    const CliRun r = run("decode", {"--model", "N5", first.string()});
    ASSERT_EQ(r.status, kOk);
    const auto second = encodeSettings(r.out, "second.vcfg");
    EXPECT_EQ(bytesOf(first), bytesOf(second));
}

TEST_F(CliConfig, BaseFileKeepsWhatTheSettingsDoNotName)
{
    const auto base = encodeSettings(kSettings, "base.vcfg");
    write(dir / "one.json", R"({"settings": {"Edit3": "40"}})");
    const CliRun r = run("encode", {"--model", "N5", "--base", base.string(), (dir / "one.json").string(),
                                 (dir / "out.vcfg").string()});
    ASSERT_EQ(r.status, kOk) << r.err;
    const Json json = Json::parse(run("decode", {"--model", "N5", (dir / "out.vcfg").string()}).out);
    EXPECT_EQ(json["settings"]["Edit3"], "40");
    EXPECT_EQ(json["settings"]["Edit37"], "secret");
}

TEST_F(CliConfig, DecodeRefusesBadFilesWithAMessageAndNoOutput)
{
    const auto good = bytesOf(encodeSettings(kSettings));
    auto flipped = good;
    flipped[123] ^= 0x01;
    write(dir / "flipped.vcfg", flipped);
    write(dir / "short.vcfg", std::vector<std::uint8_t>(good.begin(), good.begin() + 4000));
    write(dir / "long.vcfg", std::vector<std::uint8_t>(ConfigFileBuffer::kSize + 1, 0));
    std::vector<std::uint8_t> rx8Image(8192, 0x41);
    storeInImageCrc(rx8Image);
    write(dir / "rx8.vcfg", sealImage(*envelopeFor(Model::RX8), rx8Image));

    struct Case { const char* file; const char* says; };
    for (const auto& c : {Case{"flipped.vcfg", "checksum"}, Case{"short.vcfg", "too short"},
                          Case{"long.vcfg", "at most 38144"}, Case{"rx8.vcfg", "checksum"},
                          Case{"missing.vcfg", "no such file"}}) {
        const CliRun r = run("decode", {"--model", "N5", (dir / c.file).string()});
        EXPECT_EQ(r.status, kFailed) << c.file;
        EXPECT_TRUE(r.out.empty()) << c.file;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.file << ": " << r.err;
    }
}

TEST_F(CliConfig, EncodeRefusesBadSettingsAndLeavesAnExistingOutputUntouched)
{
    struct Case { const char* name; const char* json; const char* says; };
    const Case cases[] = {
        {"not_json", "{\"settings\": ", "not valid JSON"},
        {"unknown_control", R"({"settings": {"Edit99": "1"}})", "no control \"Edit99\""},
        {"check_box_given_text", R"({"settings": {"CheckBox2": "yes"}})", "true or false"},
        {"edit_given_number", R"({"settings": {"Edit3": 5}})", "takes a text"},
        {"unknown_item", R"({"settings": {"ComboBox1": "XYZ"}})", "has no item"},
        {"other_model", R"({"model": "RX8", "settings": {}})", "for model"},
        {"too_many_rows", R"({"tables": {"ClientDataSet2": [{}, {}, {}, {}]}})", "has 3 rows"},
        {"read_only_changed", R"({"tables": {"ClientDataSet1": [{"Zn_Name": "Door"}]}})", "read-only"},
        {"unknown_table", R"({"tables": {"ClientDataSet9": []}})", "no table"},
        {"cell_of_wrong_type", R"({"tables": {"ClientDataSet1": [{"Alarm": 1}]}})", "true or false"},
        {"no_number_in_serial", R"({"settings": {"Edit1": "12O45"}})", "'12O45' is not a valid integer value"},
        {"character_beyond_the_device", R"({"settings": {"Edit37": "пароль"}})", "character"},
    };
    const auto out = dir / "existing.vcfg";
    write(out, std::string_view("keep me"));
    for (const auto& c : cases) {
        write(dir / "bad.json", c.json);
        const CliRun r = run("encode", {"--model", "N5", (dir / "bad.json").string(), out.string()});
        EXPECT_EQ(r.status, kFailed) << c.name;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
        EXPECT_EQ(bytesOf(out), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p', ' ', 'm', 'e'})) << c.name;
    }
    EXPECT_EQ(fs::directory_iterator(dir) == fs::directory_iterator(), false);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_NE(entry.path().filename().string().rfind(".existing", 0), 0U) << "no temporary file is left";
}

TEST_F(CliConfig, CommandLineErrors)
{
    struct Case { const char* command; std::vector<std::string> args; int status; const char* says; };
    const Case cases[] = {
        {"decode", {"x.vcfg"}, kUsage, "--model is required"},
        {"decode", {"--model", "Z80", "x.vcfg"}, kUsage, "unknown model"},
        {"decode", {"--model", "MT5", "x.vcfg"}, kFailed, "MT43 is not supported yet"},
        {"decode", {"--model", "PL3", "x.vcfg"}, kFailed, "PL3 has no configuration"},
        {"encode", {"--model", "PL3", "x.json", "x.vcfg"}, kFailed, "PL3 has no configuration"},
        {"decode", {"--model", "N5"}, kUsage, "one configuration file"},
        {"encode", {"--model", "N5", "--colour", "x"}, kUsage, "unknown option --colour"},
        {"encode", {"--model", "N5", "--base"}, kUsage, "--base needs a value"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.command, c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
}

TEST(SingleByteText, MapsEachByteToOneCodePointBothWays)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(singleByteFromUtf8(utf8FromSingleByte(all)), all);
    EXPECT_EQ(utf8FromSingleByte("\xE9"), "\xC3\xA9");
    EXPECT_FALSE(singleByteFromUtf8("\xE2\x82\xAC").has_value()) << "the euro sign is beyond U+00FF";
    EXPECT_FALSE(singleByteFromUtf8("\xC3").has_value()) << "cut sequence";
}

} // namespace
} // namespace wendax::cli
