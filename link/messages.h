#pragma once
#include <string>
#include <string_view>

/// The device link's own texts: messages, log lines, status texts and the
/// words of the configuration protocol. Both front ends show these words.
namespace wendax::msg {

// Messages of the configuration transfer.
inline constexpr std::string_view kConfigurationWasReceived = "Configuration was received";
inline constexpr std::string_view kConfigurationWasSent = "Configuration was sent";
inline constexpr std::string_view kInvalidData = "Invalid Data";
inline constexpr std::string_view kDeviceNotResponding = "Device Not Responding";
/// The immediate dialog when the device answers "WRITEERROR".
inline constexpr std::string_view kWriteERROR = "Write ERROR";
/// The configuration worker's closing message after a reported write failure.
inline constexpr std::string_view kWriteError = "Write Error";

// Log lines.
inline constexpr std::string_view kWriteErrorLogLine = "Write ERROR...";
inline constexpr std::string_view kReceivingConfigurationData = "Receiving configuration data...";
inline constexpr std::string_view kReceivingN5ConfigurationData = "Receiving N5 configuration data...";
inline constexpr std::string_view kReceivingN14ConfigurationData = "Receiving N14 configuration data...";
inline constexpr std::string_view kIsOpened = " is opened";
inline constexpr std::string_view kIsAllreadyOpened = " is allready opened";
inline constexpr std::string_view kIsClosed = " is closed";
inline constexpr std::string_view kWrongUsbPacket = "Wrong USB packet";

/// Log line for received bytes the receive ring could not take.
inline std::string rxRingOverrun(std::size_t lost)
{
    return "Receive buffer full: " + std::to_string(lost) + " received bytes lost";
}

/// The error shown when a port cannot be opened.
inline std::string cannotOpenPort(std::string_view port, std::string_view reason)
{
    return "Cannot open " + std::string(port) + ": " + std::string(reason);
}

/// The error shown when a port refuses bytes.
inline std::string cannotWritePort(std::string_view port, std::string_view reason)
{
    return "Cannot write to " + std::string(port) + ": " + std::string(reason);
}

// Status bar texts (panel 2).
inline constexpr std::string_view kConnected = "Connected";
inline constexpr std::string_view kDisconnected = "Disconnected";

// Progress window.
inline constexpr std::string_view kProgressCaption = "Progress";
inline constexpr std::string_view kProgressLabel = "Configuratin sending....";

} // namespace wendax::msg
