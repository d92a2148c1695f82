#include "bootloader_profiles.h"

#include <algorithm>
#include <stdexcept>

namespace wendax {
namespace {

using LO = LengthOrder;
using BT = BootTransport;
using RM = ResetMeaning;

// N14's two bootloader generations both log the newer name.
constexpr BootloaderProfile kProfiles[] = {
//   model         lengths    transport  identification words          log lines                                                    RESET
    {Model::N5,    LO::BigEndian,    BT::Serial, {"N5_070125", ""},          {"Hardware N5 is connected", "Bootloader SW:N5_070125"},    RM::Nothing},
    {Model::N14,   LO::BigEndian,    BT::Serial, {"N14_101220", "N9_110301"}, {"Hardware is connected", "Bootloader SW:N9_110301"},      RM::Nothing},
    {Model::N14v2, LO::LittleEndian, BT::Hid,    {"N14v2_boot_1v0", ""},     {"Hardware is connected", ""},                              RM::Succeeded},
    {Model::RX8,   LO::BigEndian,    BT::Serial, {"RX8v2_081122", ""},       {"Hardware is connected", "Bootloader SW: RX8v2_081122"},   RM::Nothing},
    {Model::MT43,  LO::BigEndian,    BT::Serial, {"MT4_071122", ""},         {"Hardware MT4 is connected", "Bootloader SW: MT4_071122"}, RM::Nothing},
    {Model::MT6,   LO::BigEndian,    BT::Serial, {"MT4_071122", ""},         {"Hardware is connected", "Bootloader SW: MT4_071122"},     RM::Nothing},
    {Model::PL3,   LO::LittleEndian, BT::Serial, {"PL3_boot_v1", ""},        {"Hardware is connected", "Bootloader: PL3_boot_v1"},       RM::Finished},
};

} // namespace

const BootloaderProfile& bootloaderProfile(Model model)
{
    const auto found = std::find_if(std::begin(kProfiles), std::end(kProfiles),
                                    [model](const BootloaderProfile& p) { return p.model == model; });
    if (found == std::end(kProfiles))
        throw std::out_of_range("no bootloader profile");
    return *found;
}

} // namespace wendax
