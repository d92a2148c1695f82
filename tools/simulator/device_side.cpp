#include "device_side.h"

#include "core/byte_order.h"
#include "core/config_file.h"
#include "core/image_cipher.h"
#include "core/image_crc.h"
#include "devices/common/device_form.h"
#include "devices/common/model_registry.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>

namespace wendax::sim {
namespace {

// The device's side of the wire, written out here on purpose rather than
// shared with the host, so that the two sides check each other.
constexpr std::size_t kPart = 4096;
constexpr std::size_t kN14Block = 4104;
constexpr std::size_t kRecentLimit = 16;
constexpr std::string_view kReadDevice = "\n\rReadDevice\n\r";
constexpr std::string_view kExit = "\n\rexit\n\r";
constexpr std::string_view kCfgData = "\n\rCFGDATA";
constexpr std::string_view kGetTimer = "\rGetTimer";
constexpr std::string_view kSetTimer = "\rSetTimer";

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool hasInImageCrc(Model model)
{
    return model == Model::N5 || model == Model::N14 || model == Model::N14v2 || model == Model::RX8 ||
           model == Model::MT43;
}

bool isTwoPart(Model model)
{
    return model == Model::RX8 || model == Model::MT43;
}

bool hasPanelClock(Model model)
{
    return model == Model::MT43 || model == Model::MT6;
}

std::size_t partsOf(Model model)
{
    return imageSizeOf(model) / kPart;
}

std::uint16_t crcOf(std::span<const std::uint8_t> bytes)
{
    return ImageCrc16(bytes);
}

void appendLe16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

std::string timeText(const std::array<std::uint8_t, 6>& t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02u/%02u/%02u %02u:%02u:%02u", unsigned{t[0]}, unsigned{t[1]}, unsigned{t[2]},
                  unsigned{t[3]}, unsigned{t[4]}, unsigned{t[5]});
    return text;
}

std::array<std::uint8_t, 6> localTimeBytes()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {static_cast<std::uint8_t>(local.tm_year - 100), static_cast<std::uint8_t>(local.tm_mon + 1),
            static_cast<std::uint8_t>(local.tm_mday), static_cast<std::uint8_t>(local.tm_hour),
            static_cast<std::uint8_t>(local.tm_min), static_cast<std::uint8_t>(local.tm_sec)};
}

} // namespace

std::size_t imageSizeOf(Model model)
{
    switch (model) {
    case Model::N5:
    case Model::N14:
    case Model::N14v2:
        return 4096;
    case Model::RX8:
    case Model::MT43:
        return 8192;
    case Model::MT6:
        return 12288;
    case Model::PL3:
        return 0;
    }
    return 0;
}

std::vector<std::uint8_t> freshImage(Model model)
{
    std::vector<std::uint8_t> image(imageSizeOf(model), 0);
    if (const ModelDefinition* definition = findDefinition(model)) {
        DeviceForm form(*definition);
        if (!form.encodeImage()) {
            const auto encoded = form.image();
            std::copy(encoded.begin(), encoded.end(), image.begin());
            return image;
        }
    }
    if (hasInImageCrc(model))
        storeInImageCrc(image);
    return image;
}

DeviceSide::DeviceSide(SimulatorOptions options)
    : m_options(std::move(options))
    , m_image(m_options.image.empty() ? freshImage(m_options.model) : m_options.image)
{
    m_image.resize(imageSizeOf(m_options.model), 0);
}

std::vector<std::uint8_t> DeviceSide::feed(std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes) {
        switch (m_state) {
        case State::Command:
            takeCommandByte(b);
            break;
        case State::PartNumber:
            takePartNumber(b);
            break;
        case State::Block:
            takeBlockByte(b);
            break;
        case State::SetTimerBytes:
            m_timeBytes[m_timeCount++] = b;
            if (m_timeCount == m_timeBytes.size()) {
                m_setTime = m_timeBytes;
                event("<- SetTimer " + timeText(m_timeBytes));
                m_state = State::Command;
            }
            break;
        }
    }
    return std::exchange(m_out, {});
}

std::vector<std::string> DeviceSide::takeEvents()
{
    return std::exchange(m_events, {});
}

void DeviceSide::takeCommandByte(std::uint8_t b)
{
    m_recent += static_cast<char>(b);
    if (m_recent.size() > kRecentLimit)
        m_recent.erase(0, m_recent.size() - kRecentLimit);
    const Model model = m_options.model;
    if (endsWith(m_recent, kReadDevice)) {
        m_recent.clear();
        answerRead();
    } else if (endsWith(m_recent, kExit)) {
        m_recent.clear();
        event("<- exit");
    } else if (endsWith(m_recent, kGetTimer)) {
        m_recent.clear();
        answerTime();
    } else if (endsWith(m_recent, kSetTimer)) {
        m_recent.clear();
        m_timeCount = 0;
        m_state = State::SetTimerBytes;
    } else if (endsWith(m_recent, kCfgData)) {
        m_recent.clear();
        if (model == Model::N5)
            beginBlock(0, kPart + 2, "CFGDATA");
        else if (model == Model::N14 || model == Model::N14v2)
            beginBlock(0, kN14Block, "CFGDATA");
        else
            m_state = State::PartNumber;
    }
}

// RX8 and MT43 name their parts '1' and '2', MT6 with the bytes 2, 3 and 4.
void DeviceSide::takePartNumber(std::uint8_t b)
{
    m_state = State::Command;
    const bool mt6 = m_options.model == Model::MT6;
    const int part = mt6 ? b - 0x02 : b - '1';
    if (part < 0 || static_cast<std::size_t>(part) >= partsOf(m_options.model)) {
        event("<- CFGDATA followed by an unknown part number; ignored");
        takeCommandByte(b);
        return;
    }
    const auto index = static_cast<std::size_t>(part);
    beginBlock(index, kPart + 2, mt6 ? "CFGDATA part " + std::to_string(index + 1) : "CFGDATA" + std::to_string(index + 1));
}

void DeviceSide::beginBlock(std::size_t part, std::size_t size, std::string name)
{
    m_state = State::Block;
    m_block.clear();
    m_blockSize = size;
    m_blockPart = part;
    m_blockName = std::move(name);
}

void DeviceSide::takeBlockByte(std::uint8_t b)
{
    m_block.push_back(b);
    if (m_block.size() == m_blockSize) {
        m_state = State::Command;
        checkBlock();
    }
}

bool DeviceSide::checkPart(std::span<const std::uint8_t> block, std::size_t part)
{
    if (crcOf(block.first(kPart)) != readLe16(block, kPart))
        return false;
    std::vector<std::uint8_t> plain(block.begin(), block.begin() + kPart);
    const Model model = m_options.model;
    ImageCipher::decipher(plain, modelKey(model));
    if (part == 0 && model != Model::MT6 && ImageCrc32(std::span(plain).first(4092)) != readLe32(plain, 4092))
        return false;
    if (isTwoPart(model)) {
        if (part == 0) {
            m_pending = plain;
            m_pendingCrc = {block[kPart], block[kPart + 1]};
            return true;
        }
        // The host puts the C16 of enciphered part 1 into plain part 2's first two bytes.
        if (m_pending.empty() || plain[0] != m_pendingCrc[0] || plain[1] != m_pendingCrc[1])
            return false;
        std::copy(m_pending.begin(), m_pending.end(), m_image.begin());
        m_pending.clear();
    }
    std::copy(plain.begin(), plain.end(), m_image.begin() + static_cast<std::ptrdiff_t>(part * kPart));
    return true;
}

void DeviceSide::checkBlock()
{
    const Model model = m_options.model;
    bool valid = false;
    bool answerNow = true;
    bool wholeImage = false;
    if (model == Model::N14 || model == Model::N14v2) {
        std::vector<std::uint8_t> plain = m_block;
        ImageCipher::decipher(plain, modelKey(model));
        valid = plain[kPart] == 0x02 && crcOf(std::span(plain).first(kPart + 1)) == readLe16(plain, kPart + 1);
        if (valid)
            std::copy_n(plain.begin(), kPart, m_image.begin());
        wholeImage = valid;
    } else {
        valid = checkPart(m_block, m_blockPart);
        const bool lastPart = m_blockPart + 1 == partsOf(model);
        wholeImage = valid && lastPart;
        if (isTwoPart(model))
            answerNow = lastPart || !valid;
        if (model == Model::MT6)
            answerNow = static_cast<int>(m_blockPart) < m_options.acknowledgedParts;
    }
    if (wholeImage)
        ++m_writesStored;
    event("<- " + m_blockName + " and " + std::to_string(m_block.size()) + " bytes: " +
          (valid ? "checksums good" : "checksum wrong"));
    answerWrite(valid, answerNow);
}

void DeviceSide::answerWrite(bool valid, bool answerNow)
{
    if (!answerNow || m_options.silent || m_options.writeAnswer == WriteAnswer::Silent) {
        event("   (no answer)");
        return;
    }
    const bool ok = valid && m_options.writeAnswer == WriteAnswer::Check;
    say(ok ? "\r\nCfgOK\r\n" : "\r\nWRITEERROR\r\n");
    event(ok ? "-> CfgOK" : "-> WRITEERROR");
}

void DeviceSide::answerRead()
{
    if (m_options.silent) {
        event("<- ReadDevice   (no answer: silent device)");
        return;
    }
    const Model model = m_options.model;
    say("\r\nVerID:" + m_options.version + "\r\n");
    if (model == Model::N14 && m_options.macAddress) {
        say("MACSEND");
        m_out.insert(m_out.end(), m_options.macAddress->begin(), m_options.macAddress->end());
        say("\r\n");
    }
    say("CFGDATASEND");
    const std::size_t damaged = static_cast<std::size_t>(m_options.damagedPart - 1);
    for (std::size_t k = 0; k < partsOf(model); ++k) {
        const auto plain = std::span(m_image).subspan(k * kPart, kPart);
        std::vector<std::uint8_t> part(plain.begin(), plain.end());
        ImageCipher::encipher(part, modelKey(model));
        const bool plainCrc = model == Model::MT6 && !m_options.crcOverEnciphered;
        std::uint16_t crc = crcOf(plainCrc ? plain : std::span<const std::uint8_t>(part));
        if (k == damaged && m_options.damage == Damage::Block)
            part[100] ^= 0x01;
        if (k == damaged && m_options.damage == Damage::Crc)
            crc ^= 0x0001;
        m_out.insert(m_out.end(), part.begin(), part.end());
        appendLe16(m_out, crc);
    }
    std::string note;
    if (m_options.damage != Damage::None)
        note = std::string(", one bit of part ") + std::to_string(m_options.damagedPart) +
               (m_options.damage == Damage::Block ? "'s block" : "'s checksum") + " flipped";
    if (model == Model::MT6 && m_options.crcOverEnciphered)
        note += ", checksums over the enciphered parts";
    event("<- ReadDevice");
    event("-> VerID:" + m_options.version + ", CFGDATASEND and " + std::to_string(partsOf(model) * (kPart + 2)) +
          " bytes" + note);
}

void DeviceSide::answerTime()
{
    if (m_options.silent || !hasPanelClock(m_options.model)) {
        event("<- GetTimer   (no answer)");
        return;
    }
    const auto time = m_options.systemTime.value_or(localTimeBytes());
    say("\r\nSystemTime");
    m_out.insert(m_out.end(), time.begin(), time.end());
    say("\r\n");
    event("<- GetTimer");
    event("-> SystemTime " + timeText(time));
}

void DeviceSide::say(std::string_view text)
{
    m_out.insert(m_out.end(), text.begin(), text.end());
}

void DeviceSide::event(std::string text)
{
    m_events.push_back(std::move(text));
}

} // namespace wendax::sim
