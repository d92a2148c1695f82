#pragma once
#include "core/model_keys.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

/// The configuration protocol on the wire: commands, answer words, and the
/// per-model parameters of reading and writing a configuration image.
namespace wendax {

namespace wire {
inline constexpr std::string_view kReadDevice = "\n\rReadDevice\n\r";
inline constexpr std::string_view kExit = "\n\rexit\n\r";
inline constexpr std::string_view kCfgData = "\n\rCFGDATA";
inline constexpr std::string_view kCfgData1 = "\n\rCFGDATA1";
inline constexpr std::string_view kCfgData2 = "\n\rCFGDATA2";
inline constexpr std::string_view kSetTimer = "\rSetTimer";
inline constexpr std::string_view kGetTimer = "\rGetTimer";

inline constexpr std::string_view kVerID = "VerID:";
inline constexpr std::string_view kCfgDataSend = "CFGDATASEND";
inline constexpr std::string_view kCfgOK = "CfgOK";
inline constexpr std::string_view kWriteError = "WRITEERROR";
inline constexpr std::string_view kSystemTime = "SystemTime";
inline constexpr std::string_view kMacSend = "MACSEND";

/// Every configuration image travels in parts of this size, each followed
/// by two checksum bytes.
inline constexpr std::size_t kPartSize = 4096;
inline constexpr std::size_t kPartOnWire = kPartSize + 2;
/// The N14 write block: image, the byte 0x02, C16 of both, filler to a
/// whole cipher block.
inline constexpr std::size_t kN14BlockSize = 4104;
/// Version text after "VerID:" is at most this long.
inline constexpr std::size_t kVersionLimit = 50;
} // namespace wire

/// How the host checks a received image, evaluated in order, stopping at
/// the first failure.
enum class ReadCheck {
    None,     ///< no image (PL3)
    N5,       ///< C16 of the enciphered part; decipher; C32 of bytes 0..4091
    N14,      ///< C16 of the enciphered part; decipher
    TwoParts, ///< C16 part 1; decipher; C32; C16 part 2; decipher
    Mt6,      ///< per part: decipher, C16 of the PLAIN part
};

/// How Write Device sends the image.
enum class WriteKind {
    None,     ///< the window has no Write Device (PL3)
    N5,       ///< exit, CFGDATA, one part, on the GUI thread
    TwoParts, ///< exit, CFGDATA1 and part 1, CFGDATA2 and part 2, on the GUI thread
    Mt6,      ///< the configuration worker sends three parts, each answered
    N14,      ///< the configuration worker sends the 4104-byte block
    Nothing,  ///< the configuration worker runs and has nothing to send (N14v2)
};

/// One model's configuration protocol parameters.
struct WireFormat {
    Model model;
    std::size_t parts;           ///< 4096-byte parts of the image (0 for PL3)
    ReadCheck readCheck;
    WriteKind writeKind;
    int progressMaximum;         ///< range of the Progress window during a write
    std::chrono::milliseconds responseTimeout;
    bool readArmsTimeout;        ///< Read Device starts the ResponseTimeout
    std::string_view receivingLine; ///< log line on "CFGDATASEND"
    bool logsReceivedLine;       ///< logs "Configuration was received" when the last byte is in
    bool hasPanelClock;          ///< "Set Panel Timer" / "Read Panel Timer"

    std::size_t imageSize() const { return parts * wire::kPartSize; }
    /// Bytes after "CFGDATASEND".
    std::size_t readSize() const { return parts * wire::kPartOnWire; }
};

const WireFormat& wireFormat(Model model);

/// What recognising a word does in a device window.
enum class WordAction {
    StartVersionCapture, ///< token stays open
    BeginImage,
    CfgOkCompletesWrite, ///< token stays open
    CfgOkSetsFlag,
    CfgOkStopsTimeoutSetsFlag,
    WriteErrorEndsWrite,
    WriteErrorEndsWriteSetsFlag,
    WriteErrorSetsFlag,
    CaptureSystemTime,
    CaptureMacAddress,
};

/// The action of `word` in a window of `model`, or nullopt when the model
/// does not know the word.
std::optional<WordAction> wordAction(Model model, std::string_view word);

/// Checks the bytes that followed "CFGDATASEND" as the model's host does and
/// returns the plain image laid out contiguously, or nullopt when a check
/// fails. `received` holds format.readSize() bytes.
std::optional<std::vector<std::uint8_t>> checkReceivedImage(const WireFormat& format,
                                                            std::span<const std::uint8_t> received);

/// C16 as two bytes little-endian after `bytes`.
void appendCrc16(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes);

/// E(part) followed by C16 of the enciphered bytes: a part as N5, RX8, MT43
/// and MT6 writes send it. `part` holds 4096 plain bytes.
std::vector<std::uint8_t> encipheredPartWithCrc(Model model, std::span<const std::uint8_t> part);

/// The N14 write block: the plain image, 0x02, C16 of those 4097 bytes,
/// five zero filler bytes, all enciphered with the N14 key.
std::vector<std::uint8_t> n14WriteBlock(std::span<const std::uint8_t> image);

} // namespace wendax
