#pragma once
#include "core/firmware_file.h"
#include "core/model_keys.h"

#include <array>
#include <string_view>

namespace wendax {

enum class BootTransport { Serial, Hid };

/// What a bootloader's "RESET" means to the host.
enum class ResetMeaning { Nothing, Finished, Succeeded };

/// One model's bootloader as the host sees it.
struct BootloaderProfile {
    Model model;
    LengthOrder fileLengthOrder;
    BootTransport transport;
    std::array<std::string_view, 2> identificationWords; ///< the second may be empty
    std::array<std::string_view, 2> connectedLogLines;   ///< added when a word is seen
    ResetMeaning reset;
};

const BootloaderProfile& bootloaderProfile(Model model);

} // namespace wendax
