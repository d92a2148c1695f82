#pragma once
#include "bootloader_side.h"

#include "core/model_keys.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

/// The device side of the configuration protocol, as the host expects a
/// device to behave, with switches for the faults a device can show.
namespace wendax::sim {

/// A fault put into the configuration block sent for Read Device.
enum class Damage {
    None,
    Block, ///< one bit of the enciphered part flipped
    Crc,   ///< one bit of the part's C16 flipped
};

/// How the device answers a configuration write.
enum class WriteAnswer {
    Check,      ///< "CfgOK" when the blocks check out, "WRITEERROR" otherwise
    WriteError, ///< "WRITEERROR" whatever arrives
    Silent,     ///< no answer
};

struct SimulatorOptions {
    Model model = Model::N5;
    /// The plain configuration image the device holds; empty for a fresh
    /// one. Writes replace it.
    std::vector<std::uint8_t> image;
    std::string version = "1.0";
    /// Answers nothing at all.
    bool silent = false;
    Damage damage = Damage::None;
    int damagedPart = 1; ///< 1-based part of the read block the damage hits
    WriteAnswer writeAnswer = WriteAnswer::Check;
    /// MT6: parts answered with "CfgOK"; later parts get no answer.
    int acknowledgedParts = 3;
    /// MT6: the faulty device that computes C16 over the enciphered part.
    bool crcOverEnciphered = false;
    /// The six bytes answered to "GetTimer"; the local time when not set.
    std::optional<std::array<std::uint8_t, 6>> systemTime;
    /// N14: sends "MACSEND" and these bytes after its version line.
    std::optional<std::array<std::uint8_t, 6>> macAddress;
    /// Plays the model's bootloader instead of its configuration.
    std::optional<BootloaderOptions> bootloader;
};

/// A fresh plain image of `model`: a built model's fresh window encoded,
/// otherwise zeros with the in-image checksum where the model has one.
std::vector<std::uint8_t> freshImage(Model model);

/// Image size of `model`: 4096, 8192 or 12288 bytes; 0 for PL3.
std::size_t imageSizeOf(Model model);

/// Reads host bytes and says what a device answers. Not thread-safe.
class DeviceSide {
public:
    explicit DeviceSide(SimulatorOptions options);

    /// Takes bytes from the host and returns the device's answer to them.
    std::vector<std::uint8_t> feed(std::span<const std::uint8_t> bytes);
    /// What happened since the last call, one line per event.
    std::vector<std::string> takeEvents();

    const std::vector<std::uint8_t>& image() const { return m_image; }
    int writesStored() const { return m_writesStored; }
    /// The six bytes of the last "SetTimer".
    std::optional<std::array<std::uint8_t, 6>> lastSetTime() const { return m_setTime; }

private:
    enum class State { Command, PartNumber, Block, SetTimerBytes };

    void takeCommandByte(std::uint8_t b);
    void takePartNumber(std::uint8_t b);
    void takeBlockByte(std::uint8_t b);
    void answerRead();
    void answerTime();
    void beginBlock(std::size_t part, std::size_t size, std::string name);
    void checkBlock();
    bool checkPart(std::span<const std::uint8_t> block, std::size_t part);
    void answerWrite(bool stored, bool answerNow);
    void say(std::string_view text);
    void event(std::string text);

    SimulatorOptions m_options;
    std::vector<std::uint8_t> m_image;
    std::vector<std::uint8_t> m_pending; ///< RX8/MT43 plain part 1 until part 2 arrives
    std::array<std::uint8_t, 2> m_pendingCrc{}; ///< and the C16 it came with
    State m_state = State::Command;
    std::string m_recent; ///< last command bytes
    std::vector<std::uint8_t> m_block;
    std::size_t m_blockSize = 0;
    std::size_t m_blockPart = 0;
    std::string m_blockName;
    std::array<std::uint8_t, 6> m_timeBytes{};
    std::size_t m_timeCount = 0;
    std::optional<std::array<std::uint8_t, 6>> m_setTime;
    int m_writesStored = 0;
    std::vector<std::uint8_t> m_out;
    std::vector<std::string> m_events;
};

} // namespace wendax::sim
