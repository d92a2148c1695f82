#include "devices/N5/n5_layout.h"
#include "devices/common/device_form.h"
#include "devices/common/model_registry.h"

#include "core/byte_order.h"
#include "core/config_file.h"
#include "core/image_crc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace wendax {
namespace {

class N5Window : public ::testing::Test {
protected:
    DeviceForm window{n5Definition()};
    FormState& form = window.form();

    std::span<std::uint8_t> encoded()
    {
        const auto error = window.encodeImage();
        EXPECT_FALSE(error.has_value()) << *error;
        return window.image();
    }

    /// Decodes `image` (with a fresh checksum) into a fresh window.
    std::unique_ptr<DeviceForm> decodedInFreshWindow(std::vector<std::uint8_t> image)
    {
        storeInImageCrc(image);
        auto fresh = std::make_unique<DeviceForm>(n5Definition());
        std::copy(image.begin(), image.end(), fresh->image().begin());
        fresh->decodeImage();
        return fresh;
    }

    std::vector<std::uint8_t> encodedCopy()
    {
        auto image = encoded();
        return {image.begin(), image.end()};
    }

    void typeAndLeave(std::string_view name, std::string_view text)
    {
        form.type(name, text);
        form.leave(name);
    }
};

TEST_F(N5Window, FreshWindowImage)
{
    const auto image = encoded();
    EXPECT_EQ(image[3], 0);
    EXPECT_EQ(readBe16(image, 6), 12345);
    EXPECT_EQ(image[6], 0x30);
    EXPECT_EQ(readLe16(image, 8), 20);
    EXPECT_EQ(image[10], 1);
    EXPECT_EQ(image[44], 0xE8);
    EXPECT_EQ(image[45], 0x03);
    EXPECT_EQ(readLe16(image, 46), 1000);
    EXPECT_EQ(std::string(image.begin() + 48, image.begin() + 55), std::string("907158\0", 7));
    EXPECT_EQ(readLe16(image, 56), 0);
    EXPECT_EQ(readLe16(image, 58), 60);
    EXPECT_EQ(image[60], 255);
    EXPECT_EQ(image[61], 255);
    for (const std::size_t slot : {512U, 522U, 532U, 542U, 573U, 583U, 593U, 603U, 634U, 644U, 654U}) {
        const auto at = image.begin() + static_cast<std::ptrdiff_t>(slot);
        EXPECT_EQ(std::string(at, at + 10),
                  std::string("000000000\0", 10))
            << slot;
    }
    EXPECT_EQ(readLe32(image, 4092), ImageCrc32(image.first(4092)));

    // Everything no field covers is zero.
    std::size_t nonZeroReserved = 0;
    for (std::size_t at = 664; at < 4092; ++at)
        nonZeroReserved += image[at] != 0 ? 1U : 0U;
    EXPECT_EQ(nonZeroReserved, 0U);
}

TEST_F(N5Window, FreshWindowTablesAndControls)
{
    const Dataset& inputs = form.dataset("ClientDataSet1");
    ASSERT_EQ(inputs.rowCount(), 4U);
    EXPECT_EQ(inputs.text(3, 1), "Input 4");
    EXPECT_EQ(inputs.text(0, 6), "NC");
    EXPECT_EQ(form.dataset("ClientDataSet2").rowCount(), 3U);
    EXPECT_EQ(form.dataset("ClientDataSet2").text(1, 1), "Periodical test");
    EXPECT_EQ(form.at("Edit2").text, "0000");
    EXPECT_EQ(form.at("Edit3").text, "0");
    EXPECT_EQ(form.at("ComboBox8").text, "Disable");
    EXPECT_TRUE(form.at("Edit37").password);
}

TEST_F(N5Window, AccountIsStoredLittleEndianAndShownAgain)
{
    typeAndLeave("Edit2", "1A2F");
    const auto image = encodedCopy();
    EXPECT_EQ(image[56], 0x2F);
    EXPECT_EQ(image[57], 0x1A);
    EXPECT_EQ(decodedInFreshWindow(image)->form().at("Edit2").text, "1A2F");
}

TEST_F(N5Window, MacFieldKeepsOnlyItsHexDigits)
{
    typeAndLeave("Edit31", "a1");
    EXPECT_EQ(form.at("Edit31").text, "1");
    const auto image = encodedCopy();
    EXPECT_EQ(image[24], 0x01);
    EXPECT_EQ(decodedInFreshWindow(image)->form().at("Edit31").text, "01");
}

TEST_F(N5Window, NumbersRoundTripThroughTheirEncodings)
{
    struct Case { const char* control; const char* typed; std::size_t offset; std::vector<std::uint8_t> bytes; const char* shown; };
    const Case cases[] = {
        {"Edit1", "70000", 6, {0x11, 0x70}, "4464"},   // serial: low 16 bits, big-endian
        {"Edit1", "-1", 6, {0xFF, 0xFF}, "65535"},
        {"Edit17", "01", 10, {0x01}, "1"},             // slave address
        {"Edit21", "70000", 44, {0xFF, 0xFF}, "65535"}, // port clamped on exit
        {"Edit4", "300", 12, {0xFF}, "255"},
        {"Edit3", "25000", 32, {0xC4, 0x09}, "2500"},  // four characters at most
    };
    for (const auto& c : cases) {
        typeAndLeave(c.control, c.typed);
        const auto image = encodedCopy();
        EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(c.offset)))
            << c.control << " " << c.typed;
        EXPECT_EQ(decodedInFreshWindow(image)->form().at(c.control).text, c.shown) << c.control << " " << c.typed;
    }
}

TEST_F(N5Window, FlagBitsAndRowBits)
{
    form.setChecked("CheckBox5", true);
    form.setChecked("CheckBox6", true);
    Dataset& inputs = form.dataset("ClientDataSet1");
    inputs.toggle(0, *inputs.fieldIndex("Alarm"));
    inputs.toggle(2, *inputs.fieldIndex("Alarm"));
    inputs.toggle(3, *inputs.fieldIndex("Restore"));
    const auto image = encodedCopy();
    EXPECT_EQ(image[62], 6);
    EXPECT_EQ(image[259], 5);
    EXPECT_EQ(image[260], 8);

    const auto decoded = decodedInFreshWindow(image);
    const Dataset& again = decoded->form().dataset("ClientDataSet1");
    EXPECT_TRUE(again.boolean(2, *again.fieldIndex("Alarm")));
    EXPECT_FALSE(again.boolean(1, *again.fieldIndex("Alarm")));
    EXPECT_TRUE(again.boolean(3, *again.fieldIndex("Restore")));
    EXPECT_TRUE(decoded->form().at("CheckBox6").checked);
}

TEST_F(N5Window, CodeCellsFillTheirSlots)
{
    Dataset& inputs = form.dataset("ClientDataSet1");
    ASSERT_TRUE(inputs.edit(1, *inputs.fieldIndex("Restore_Code"), std::string("ABCDEF012")));
    Dataset& events = form.dataset("ClientDataSet2");
    ASSERT_TRUE(events.edit(2, *events.fieldIndex("Event_Code"), std::string("123")));
    const auto image = encodedCopy();
    EXPECT_EQ(std::string(image.begin() + 583, image.begin() + 593), std::string("ABCDEF012\0", 10));
    EXPECT_EQ(std::string(image.begin() + 654, image.begin() + 664), std::string("000000000\0", 10));
    EXPECT_EQ(decodedInFreshWindow(image)->form().dataset("ClientDataSet1").text(1, 3), "ABCDEF012");
}

TEST_F(N5Window, ProtocolRuleWhenChosen)
{
    form.setChecked("CheckBox3", true);
    form.choose("ComboBox1", 2); // RRK1
    EXPECT_EQ(form.at("ComboBox2").text, "UDP");
    EXPECT_FALSE(form.at("ComboBox2").enabled);
    EXPECT_FALSE(form.at("CheckBox3").checked);
    EXPECT_FALSE(form.at("CheckBox3").enabled);
    EXPECT_TRUE(form.at("Edit17").enabled);
    EXPECT_FALSE(form.at("Edit1").enabled);

    form.choose("ComboBox1", 0); // VLM 01
    EXPECT_EQ(form.at("ComboBox2").text, "TCP");
    EXPECT_FALSE(form.at("CheckBox3").checked);
    EXPECT_TRUE(form.at("CheckBox3").enabled);
    EXPECT_FALSE(form.at("Edit17").enabled);

    form.choose("ComboBox1", 1); // EBS
    EXPECT_TRUE(form.at("Edit1").enabled);
    EXPECT_FALSE(form.at("Edit17").enabled);

    form.choose("ComboBox1", -1);
    for (const char* name : {"CheckBox3", "ComboBox2", "Edit1", "Edit17"})
        EXPECT_TRUE(form.at(name).enabled) << name;
}

TEST_F(N5Window, DecodingRunsTheProtocolRuleBeforeTheTransportIsSet)
{
    auto image = encodedCopy();
    image[3] = 0;  // VLM 01
    image[64] = 1; // UDP
    auto decoded = decodedInFreshWindow(image);
    EXPECT_EQ(decoded->form().at("ComboBox1").text, "VLM 01");
    EXPECT_EQ(decoded->form().at("ComboBox2").text, "UDP");
    EXPECT_FALSE(decoded->form().at("ComboBox2").enabled);

    image[3] = 1; // EBS
    image[2] = 1; // To Next
    decoded = decodedInFreshWindow(image);
    EXPECT_FALSE(decoded->form().at("CheckBox3").checked);
    EXPECT_FALSE(decoded->form().at("CheckBox3").enabled);
    ASSERT_FALSE(decoded->encodeImage().has_value());
    EXPECT_EQ(decoded->image()[2], 0);
}

TEST_F(N5Window, ChoiceOutsideTheListDecodesAsNoSelection)
{
    auto image = encodedCopy();
    image[60] = 7;
    const auto decoded = decodedInFreshWindow(image);
    EXPECT_EQ(decoded->form().at("ComboBox8").itemIndex, -1);
    ASSERT_FALSE(decoded->encodeImage().has_value());
    EXPECT_EQ(decoded->image()[60], 255);
}

TEST_F(N5Window, AFieldWithoutANumberStopsEncodingWithItsText)
{
    struct Case { const char* control; const char* text; };
    for (const auto& c : {Case{"Edit1", "12x"}, Case{"Edit16", ""}, Case{"Edit18", "-"}, Case{"Edit4", ""}}) {
        DeviceForm fresh(n5Definition());
        fresh.form().setText(c.control, c.text);
        const auto error = fresh.encodeImage();
        ASSERT_TRUE(error.has_value()) << c.control;
        EXPECT_NE(error->find("'" + std::string(c.text) + "'"), std::string::npos) << *error;
    }
}

TEST_F(N5Window, SaveImageRefusesAConversionFailureAndKeepsTheFileBuffer)
{
    ConfigFileBuffer files;
    form.setText("Edit16", "");
    EXPECT_TRUE(window.saveImage(files).has_value());
    EXPECT_EQ(files.head(4096)[0], 0);
    EXPECT_EQ(form.at("Edit16").text, "");
}

TEST_F(N5Window, SaveThenLoadRestoresEverySetting)
{
    typeAndLeave("Edit2", "BEEF");
    typeAndLeave("Edit21", "5000");
    form.choose("ComboBox1", 1);
    form.choose("ComboBox9", 4);
    ConfigFileBuffer files;
    ASSERT_FALSE(window.saveImage(files).has_value());

    DeviceForm fresh(n5Definition());
    ASSERT_TRUE(fresh.loadImage(files).decoded());
    EXPECT_EQ(fresh.form().at("Edit2").text, "BEEF");
    EXPECT_EQ(fresh.form().at("Edit21").text, "5000");
    EXPECT_EQ(fresh.form().at("ComboBox1").text, "EBS");
    EXPECT_EQ(fresh.form().at("ComboBox9").text, "Communication Trouble");
    const auto original = encodedCopy();
    ASSERT_FALSE(fresh.encodeImage().has_value());
    EXPECT_TRUE(std::equal(original.begin(), original.end(), fresh.image().begin()));
}

TEST_F(N5Window, ALoadThatFailsItsCheckChangesNothing)
{
    typeAndLeave("Edit2", "1234");
    ConfigFileBuffer files;
    ASSERT_FALSE(window.saveImage(files).has_value());
    std::vector<std::uint8_t> damaged(files.head(8192).begin(), files.head(8192).end());
    damaged[100] ^= 0x01;
    ASSERT_TRUE(files.load(damaged));

    DeviceForm other(n5Definition());
    other.form().type("Edit3", "77");
    const LoadResult result = other.loadImage(files);
    EXPECT_EQ(result.outcome, LoadResult::Outcome::CheckFailed);
    EXPECT_TRUE(result.message.empty()) << "the N5 window stays silent";
    EXPECT_EQ(other.form().at("Edit3").text, "77");
    EXPECT_EQ(other.form().at("Edit2").text, "0000");
}

class N5Defaults : public ::testing::Test {
protected:
    // One folder per test process: CTest runs the tests of this file in parallel.
    std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("n5_defaults_" + std::to_string(::getpid()));

    void SetUp() override
    {
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "DefaultConfig");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void writeDefault(const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream out(folder / "DefaultConfig" / "N5_Default.vcfg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    static std::vector<std::uint8_t> savedWithTestTime(const char* minutes)
    {
        DeviceForm source(n5Definition());
        source.form().type("Edit3", minutes);
        ConfigFileBuffer files;
        EXPECT_FALSE(source.saveImage(files).has_value());
        return {files.head(8192).begin(), files.head(8192).end()};
    }
};

TEST_F(N5Defaults, AValidDefaultFileIsDecoded)
{
    writeDefault(savedWithTestTime("15"));
    DeviceForm window(n5Definition());
    EXPECT_TRUE(window.loadDefaults(folder).decoded());
    EXPECT_EQ(window.form().at("Edit3").text, "15");
}

TEST_F(N5Defaults, MissingOrDamagedDefaultsLeaveTheFreshWindowSilently)
{
    DeviceForm missing(n5Definition());
    EXPECT_EQ(missing.loadDefaults(folder).outcome, LoadResult::Outcome::NoFile);

    auto damaged = savedWithTestTime("15");
    damaged[9] ^= 0x80;
    writeDefault(damaged);
    DeviceForm window(n5Definition());
    const LoadResult result = window.loadDefaults(folder);
    EXPECT_EQ(result.outcome, LoadResult::Outcome::CheckFailed);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(window.form().at("Edit3").text, "0");

    writeDefault({1, 2, 3}); // short file
    EXPECT_EQ(DeviceForm(n5Definition()).loadDefaults(folder).outcome, LoadResult::Outcome::CheckFailed);
}

TEST(ModelRegistry, FindsBuiltModelsByModelAndClass)
{
    EXPECT_EQ(findDefinition(Model::N5), &n5Definition());
    EXPECT_EQ(findDefinitionByClass("TN5_cfg"), &n5Definition());
    EXPECT_EQ(findDefinitionByClass("TN5"), nullptr);
}

} // namespace
} // namespace wendax
