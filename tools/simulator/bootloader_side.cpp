#include "bootloader_side.h"

#include <utility>

namespace wendax::sim {
namespace {

// Written out here rather than shared with the host, so that the two sides
// check each other.
constexpr std::uint8_t kAnswerToAnnouncement = 'A';

std::string_view answerWord(BootAnswer answer)
{
    switch (answer) {
    case BootAnswer::Ack:
        return "ACK";
    case BootAnswer::CrcError:
        return "CRCERROR";
    case BootAnswer::UnknownCommand:
        return "UNKNOWNCOMMAND";
    case BootAnswer::Reset:
        return "RESET";
    case BootAnswer::Silent:
        break;
    }
    return {};
}

} // namespace

std::optional<std::string_view> bootloaderWord(Model model)
{
    switch (model) {
    case Model::N5:
        return "N5_070125";
    case Model::N14:
        return "N9_110301";
    case Model::RX8:
        return "RX8v2_081122";
    case Model::MT43:
    case Model::MT6:
        return "MT4_071122";
    case Model::PL3:
        return "PL3_boot_v1";
    case Model::N14v2:
        break;
    }
    return std::nullopt;
}

BootloaderSide::BootloaderSide(Model model, BootloaderOptions options)
    : m_model(model)
    , m_options(options)
{
}

std::vector<std::uint8_t> BootloaderSide::announce()
{
    ++m_announcements;
    say(bootloaderWord(m_model).value_or(""));
    return std::exchange(m_out, {});
}

std::vector<std::uint8_t> BootloaderSide::feed(std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes)
        take(b);
    return std::exchange(m_out, {});
}

std::vector<std::string> BootloaderSide::takeEvents()
{
    return std::exchange(m_events, {});
}

void BootloaderSide::take(std::uint8_t b)
{
    if (m_state == State::WaitingForA) {
        if (b == kAnswerToAnnouncement) {
            m_events.emplace_back("<- A");
            say("BOOT");
            m_state = State::LengthHigh;
        }
        return;
    }
    if (m_received.size() < kReceivedLimit)
        m_received.push_back(b);
    else
        ++m_dropped;
    switch (m_state) {
    case State::LengthHigh:
        ++m_recordsStarted;
        m_length = std::size_t{b} << 8;
        m_state = State::LengthLow;
        break;
    case State::LengthLow:
        m_length |= b;
        m_got = 0;
        m_state = State::Payload;
        if (m_length == 0)
            endRecord();
        break;
    case State::Payload:
        if (++m_got == m_length)
            endRecord();
        break;
    case State::Finished:
        m_events.emplace_back("<- a byte after the end");
        break;
    case State::WaitingForA:
        break;
    }
}

void BootloaderSide::endRecord()
{
    ++m_records;
    m_events.push_back("<- record " + std::to_string(m_records) + ": " + std::to_string(m_length) + " bytes");
    const bool special = m_options.answerRecord > 0 && m_records == static_cast<std::size_t>(m_options.answerRecord);
    const BootAnswer answer = special ? m_options.answerAt : BootAnswer::Ack;
    m_state = answer == BootAnswer::Ack ? State::LengthHigh : State::Finished;
    if (answer == BootAnswer::Silent) {
        m_events.emplace_back("   (no answer)");
        return;
    }
    ++m_answers;
    say(answerWord(answer));
}

void BootloaderSide::say(std::string_view word)
{
    m_events.push_back("-> " + std::string(word));
    const std::string_view breakLine = "\r\n";
    for (const std::string_view part : {breakLine, word, breakLine})
        m_out.insert(m_out.end(), part.begin(), part.end());
}

} // namespace wendax::sim
