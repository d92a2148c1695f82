#pragma once
#include <string_view>

/// The bootloader transfer's own texts.
namespace wendax::msg {

inline constexpr std::string_view kFirmwareFileFilter = "Firmware files (*.enc)|*.enc";
inline constexpr std::string_view kFirmwareFolder = "FirmwareUpdates";
inline constexpr std::string_view kFileError = "File Error";
inline constexpr std::string_view kFileOperationsFailed =
    "Can't perform one of the following file operations: Open, Seek, Read, Close.";
inline constexpr std::string_view kFirmwareLoaded = "Firmware file has been loaded";
inline constexpr std::string_view kFirmwareLoadedN14v2 = "Firmware file have been loaded";
inline constexpr std::string_view kConnectAndReset = "Please connect and reset your hardware";
inline constexpr std::string_view kConnectAndResetBox = "Please connect and reset your hardware...";
inline constexpr std::string_view kHardwareConnected = "Hardware is connected";
inline constexpr std::string_view kPleaseWait = "Please wait...";
inline constexpr std::string_view kUpdating = "Updating firmware is proceed...";
inline constexpr std::string_view kCrcError = "Update file is damaged, CRC ERROR...";
inline constexpr std::string_view kUnknownCommand = "Update file is damaged, Unknown Command...";
inline constexpr std::string_view kUpdateFailure = "Update failure";
inline constexpr std::string_view kUpdateSuccessful = "Update successful";
inline constexpr std::string_view kUpdateSuccessfulBox = "Update successful. Reset module to continue...";
inline constexpr std::string_view kUpdatingTimeout = "Updating Timeout";
inline constexpr std::string_view kFirmwareClosing = "Firmware file is closing";

// Refusals of this program where the bootloader transfer could not work.
inline constexpr std::string_view kConfigurationRunning =
    "A configuration transfer is running. Start the firmware update once it has ended.";
inline constexpr std::string_view kNotAFirmwareFile = " is not a firmware file: ";

} // namespace wendax::msg
