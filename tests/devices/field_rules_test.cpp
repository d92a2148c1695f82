#include "devices/common/code_cell.h"
#include "devices/common/dataset.h"
#include "devices/common/field_rules.h"
#include "devices/common/form_state.h"

#include <gtest/gtest.h>

namespace wendax {
namespace {

struct RuleCase {
    const char* name;
    ChangeRule change;
    ExitRule exit;
    std::string typed;
    std::string shown;
};

const RuleCase kRuleCases[] = {
    {"digits_drop_letters", ChangeRule::Digits, ExitRule::None, "1g2", "12"},
    {"hex_drops_lower_case", ChangeRule::Hex, ExitRule::None, "a1Bc", "1B"},
    {"len_check_empty_becomes_zero", ChangeRule::Digits, ExitRule::ZeroIfEmpty, "", "0"},
    {"octet_empty_becomes_zero", ChangeRule::Digits, ExitRule::Octet, "", "0"},
    {"octet_300_clamps_to_255", ChangeRule::Digits, ExitRule::Octet, "300", "255"},
    {"octet_255_kept", ChangeRule::Digits, ExitRule::Octet, "255", "255"},
    {"octet_huge_clamps", ChangeRule::Digits, ExitRule::Octet, "99999999999999999999999", "255"},
    {"port_70000_clamps_to_65535", ChangeRule::Digits, ExitRule::Word, "70000", "65535"},
    {"port_65535_kept", ChangeRule::Digits, ExitRule::Word, "65535", "65535"},
    {"account_two_digits_become_zeros", ChangeRule::Hex, ExitRule::Account, "1A", "0000"},
    {"account_four_digits_kept", ChangeRule::Hex, ExitRule::Account, "1A2F", "1A2F"},
    {"password_five_becomes_default", ChangeRule::None, ExitRule::Password, "12345", "907158"},
    {"password_six_kept", ChangeRule::None, ExitRule::Password, "abc123", "abc123"},
    {"test_time_25000_clamps_to_9999", ChangeRule::Digits, ExitRule::Int9999, "25000", "9999"},
    {"test_time_9999_kept", ChangeRule::Digits, ExitRule::Int9999, "9999", "9999"},
};

TEST(FieldRules, TypedThenLeft)
{
    for (const auto& c : kRuleCases) {
        FormState form;
        form.addEdit("Edit1", "", 0, c.change, c.exit);
        form.type("Edit1", c.typed);
        form.leave("Edit1");
        EXPECT_EQ(form.at("Edit1").text, c.shown) << c.name;
    }
}

TEST(FieldRules, TypingStopsAtTheMaximumLengthButProgramTextsDoNot)
{
    FormState form;
    form.addEdit("Edit17", "01", 2);
    form.type("Edit17", "12345");
    EXPECT_EQ(form.at("Edit17").text, "12");
    form.setText("Edit17", "255");
    EXPECT_EQ(form.at("Edit17").text, "255");
}

TEST(FieldRules, DecimalConversion)
{
    struct Case { const char* text; bool ok; long long value; };
    const Case cases[] = {
        {"70000", true, 70000}, {"-5", true, -5}, {"+7", true, 7}, {"", false, 0}, {"-", false, 0},
        {"12a", false, 0}, {" 1", false, 0}, {"2147483647", true, 2147483647}, {"2147483648", false, 0},
        {"-2147483648", true, -2147483648LL},
    };
    for (const auto& c : cases) {
        long long value = 0;
        EXPECT_EQ(parseDecimal(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(CodeCell, KeyFilterAndSetTextRule)
{
    EXPECT_TRUE(acceptsCodeKey('0'));
    EXPECT_TRUE(acceptsCodeKey('F'));
    EXPECT_FALSE(acceptsCodeKey('a'));
    EXPECT_FALSE(acceptsCodeKey('\b'));
    EXPECT_EQ(codeCellSetText("12345678"), "000000000");
    EXPECT_EQ(codeCellSetText("123456789"), "123456789");
    EXPECT_EQ(codeCellSetText("12", 3), "000");
    EXPECT_EQ(codeCellSetText("1A2", 3), "1A2");
    EXPECT_EQ(typeIntoCodeCell("1a23456789"), "123456789");
    EXPECT_EQ(typeIntoCodeCell("12345678b"), "000000000");
}

Dataset codeTable()
{
    Dataset table("ClientDataSet2", {
        {"Event_ID", FieldType::Integer, 0, true},
        {"Event_Name", FieldType::Text, 5, true},
        {"Event_Code", FieldType::Text, 9, false, 9},
        {"Alarm", FieldType::Boolean},
    });
    table.appendRow({1LL, std::string("Reset"), std::string("000000000"), false});
    return table;
}

TEST(Dataset, UserEditsFollowTheCellRules)
{
    Dataset table = codeTable();
    EXPECT_FALSE(table.edit(0, 0, 5LL)) << "read-only";
    EXPECT_FALSE(table.edit(0, 2, true)) << "wrong type";
    EXPECT_TRUE(table.edit(0, 2, std::string("12345678")));
    EXPECT_EQ(table.text(0, 2), "000000000");
    EXPECT_TRUE(table.edit(0, 2, std::string("ABCDEF123")));
    EXPECT_EQ(table.text(0, 2), "ABCDEF123");

    table.toggle(0, 3);
    EXPECT_TRUE(table.boolean(0, 3));
    table.toggle(0, 3);
    EXPECT_FALSE(table.boolean(0, 3));
}

TEST(Dataset, ProgramAssignmentsBypassTheSetTextRuleButKeepTheFieldSize)
{
    Dataset table = codeTable();
    table.assign(0, 2, std::string("12"));
    EXPECT_EQ(table.text(0, 2), "12");
    table.assign(0, 2, std::string("0123456789ABC"));
    EXPECT_EQ(table.text(0, 2), "012345678");
}

TEST(FormState, SelectingAnIndexOutsideTheListClearsTheSelection)
{
    FormState form;
    form.addComboBox("ComboBox8", {"Disable", "LAN OK"}, -1, "Disable");
    EXPECT_EQ(form.at("ComboBox8").text, "Disable");
    form.select("ComboBox8", 1);
    EXPECT_EQ(form.at("ComboBox8").text, "LAN OK");
    form.select("ComboBox8", 255);
    EXPECT_EQ(form.at("ComboBox8").itemIndex, -1);
    EXPECT_EQ(form.at("ComboBox8").text, "");
}

TEST(FormState, ChoosingRunsTheListHandlerButSelectingDoesNot)
{
    FormState form;
    form.addComboBox("ComboBox1", {"A", "B"}, 0);
    int runs = 0;
    form.setListHandler("ComboBox1", [&](FormState&) { ++runs; });
    form.select("ComboBox1", 1);
    EXPECT_EQ(runs, 0);
    form.choose("ComboBox1", 0);
    EXPECT_EQ(runs, 1);
}

} // namespace
} // namespace wendax
