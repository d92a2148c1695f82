#include "n5_layout.h"

#include "devices/common/code_cell.h"
#include "devices/common/form_state.h"

namespace wendax {
namespace {

constexpr std::string_view kInputs = "ClientDataSet1";
constexpr std::string_view kStatusEvents = "ClientDataSet2";

// The N5 ConfigImage, in image order. Bytes no row covers are reserved and 0.
constexpr Field kN5Fields[] = {
//   offset width encoding           component(s)
    {1,     1,    Enc::Flag,         {"CheckBox2"}},                 // Use internal account
    {2,     1,    Enc::Flag,         {"CheckBox3"}},                 // To Next
    {3,     1,    Enc::Choice,       {"ComboBox1"}},                 // TCP data protocol (runs ComboBox1Click)
    {6,     2,    Enc::U16BigEndian, {"Edit1"}},                     // EBS serial number
    {8,     2,    Enc::U16,          {"Edit16"}},                    // PING time, s
    {10,    1,    Enc::Byte,         {"Edit17"}},                    // RRK1 slave address
    {12,    4,    Enc::IPv4,         {"Edit4", "Edit5", "Edit6", "Edit7"}},     // Internal IP
    {16,    4,    Enc::IPv4,         {"Edit8", "Edit9", "Edit10", "Edit11"}},   // Gateway IP 2
    {20,    4,    Enc::IPv4,         {"Edit12", "Edit13", "Edit14", "Edit15"}}, // Mask
    {24,    6,    Enc::MAC,          {"Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36"}},
    {32,    2,    Enc::U16,          {"Edit3"}},                     // Test time, min
    {36,    4,    Enc::IPv4,         {"Edit23", "Edit24", "Edit25", "Edit26"}}, // Remote IP 1
    {40,    4,    Enc::IPv4,         {"Edit27", "Edit28", "Edit29", "Edit30"}}, // Remote IP 2
    {44,    2,    Enc::U16,          {"Edit21"}},                    // Remote port 1
    {46,    2,    Enc::U16,          {"Edit22"}},                    // Remote port 2
    {48,    7,    Enc::Text,         {"Edit37"}},                    // data crypting password
    {56,    2,    Enc::Account,      {"Edit2"}},                     // Account Number
    {58,    2,    Enc::U16,          {"Edit18"}},                    // Communication Timeout, s
    {60,    1,    Enc::Choice,       {"ComboBox8"}},                 // PGM1 mode
    {61,    1,    Enc::Choice,       {"ComboBox9"}},                 // PGM2 mode
    {62,    1,    Enc::FlagBit,      {"CheckBox5"}, 1},              // PGM1 invert
    {62,    1,    Enc::FlagBit,      {"CheckBox6"}, 2},              // PGM2 invert
    {63,    1,    Enc::Flag,         {"CheckBox4"}},                 // PING enable
    {64,    1,    Enc::Choice,       {"ComboBox2"}},                 // Transport Protocol
    {258,   1,    Enc::Flag,         {"CheckBox1"}},                 // DHCP
    {259,   1,    Enc::RowBits,      {kInputs, "Alarm"}},
    {260,   1,    Enc::RowBits,      {kInputs, "Restore"}},
    {512,   40,   Enc::CodeSlots,    {kInputs, "Alarm_Code"}},       // 512, 522, 532, 542
    {573,   40,   Enc::CodeSlots,    {kInputs, "Restore_Code"}},     // 573, 583, 593, 603
    {634,   30,   Enc::CodeSlots,    {kStatusEvents, "Event_Code"}}, // 634, 644, 654
    {4092,  4,    Enc::ImageCrc32},
};
static_assert(fitsImage(kN5Fields, 4096) && noOverlaps(kN5Fields));

const std::vector<std::string> kPgmModes = {"Disable", "LAN OK", "Extrnal Device Is Connected", "EBS Output control",
                                            "Communication Trouble"};

void addEdits(FormState& form)
{
    using C = ChangeRule;
    using X = ExitRule;
    form.addEdit("Edit2", "0000", 4, C::Hex, X::Account);
    form.addEdit("Edit3", "0", 4, C::Digits, X::Int9999);
    form.addEdit("Edit1", "12345");
    form.addEdit("Edit16", "20", 3);
    form.addEdit("Edit17", "01", 2);
    for (const char* octet : {"Edit4", "Edit5", "Edit6", "Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "Edit12",
                              "Edit13", "Edit14", "Edit15", "Edit23", "Edit24", "Edit25", "Edit26", "Edit27",
                              "Edit28", "Edit29", "Edit30"})
        form.addEdit(octet, "0", 3, C::Digits, X::Octet);
    for (const char* macByte : {"Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36"})
        form.addEdit(macByte, "0", 2, C::Hex, X::ZeroIfEmpty);
    form.addEdit("Edit21", "1000", 5, C::Digits, X::Word);
    form.addEdit("Edit22", "1000", 5, C::Digits, X::Word);
    form.addEdit("Edit37", "907158", 6, C::None, X::Password).password = true;
    form.addEdit("Edit18", "60", 3);
}

void addTables(FormState& form)
{
    Dataset inputs(std::string(kInputs), {
        {"Zone_ID", FieldType::Integer, 0, true},
        {"Zn_Name", FieldType::Text, 20, true},
        {"Alarm_Code", FieldType::Text, kCodeTextLength, false, kCodeTextLength},
        {"Restore_Code", FieldType::Text, kCodeTextLength, false, kCodeTextLength},
        {"Alarm", FieldType::Boolean},
        {"Restore", FieldType::Boolean},
        {"Zone_Type", FieldType::Text, 10, true},
    });
    const std::string zeros(kCodeTextLength, '0');
    for (long long id = 1; id <= 4; ++id)
        inputs.appendRow({id, "Input " + std::to_string(id), zeros, zeros, false, false, std::string("NC")});
    form.addDataset(std::move(inputs));

    Dataset events(std::string(kStatusEvents), {
        {"Event_ID", FieldType::Integer, 0, true},
        {"Event_Name", FieldType::Text, 50, true},
        {"Event_Code", FieldType::Text, kCodeTextLength, false, kCodeTextLength},
    });
    long long id = 1;
    for (const char* name : {"Message transfer failed", "Periodical test", "Module reset"})
        events.appendRow({id++, std::string(name), zeros});
    form.addDataset(std::move(events));
}

// Controls in image order, so that a saved settings list replays correctly:
// the data protocol comes before the transport it overrides.
void buildN5Form(FormState& form)
{
    form.addCheckBox("CheckBox2");
    form.addCheckBox("CheckBox3");
    form.addComboBox("ComboBox1", {"VLM 01", "EBS", "RRK1"}, 0);
    addEdits(form);
    form.addComboBox("ComboBox8", kPgmModes, -1, "Disable");
    form.addComboBox("ComboBox9", kPgmModes, -1, "Disable");
    form.addCheckBox("CheckBox5");
    form.addCheckBox("CheckBox6");
    form.addCheckBox("CheckBox4");
    form.addComboBox("ComboBox2", {"TCP", "UDP"}, 0);
    form.addCheckBox("CheckBox1");
    addTables(form);
    form.setListHandler("ComboBox1", N5_ComboBox1Click);
    // A fresh window shows the enabled states that go with its protocol.
    N5_ComboBox1Click(form);
}

} // namespace

void N5_ComboBox1Click(FormState& form)
{
    enum { VLM01 = 0, EBS = 1, RRK1 = 2 };
    const int protocol = form.at("ComboBox1").itemIndex;
    const bool anyProtocol = protocol < 0;
    if (protocol == EBS || protocol == RRK1)
        form.setChecked("CheckBox3", false);
    form.setEnabled("CheckBox3", anyProtocol || protocol == VLM01);
    if (!anyProtocol)
        form.select("ComboBox2", protocol == RRK1 ? 1 : 0);
    form.setEnabled("ComboBox2", anyProtocol);
    form.setEnabled("Edit1", anyProtocol || protocol == EBS);
    form.setEnabled("Edit17", anyProtocol || protocol == RRK1);
}

const ModelDefinition& n5Definition()
{
    static const ModelDefinition definition{
        Model::N5, "TN5_cfg", "N5", "N5 cconfiguration", "N5 Configuration", 4096, 4352, kN5Fields, buildN5Form,
    };
    return definition;
}

} // namespace wendax
