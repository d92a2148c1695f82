#include "firmware_transfer.h"

#include "firmware_messages.h"

namespace wendax {

namespace {
constexpr std::uint8_t kAnswerToIdentification = 'A';
}

FirmwareTransfer::FirmwareTransfer(const BootloaderProfile& profile, FirmwareIo& io)
    : m_profile(profile)
    , m_io(io)
{
}

void FirmwareTransfer::arm(FirmwareFile file)
{
    if (armed())
        stop();
    m_file = std::move(file);
    m_outcome = Outcome::Running;
    m_boot = m_ready = false;
    m_nextRecord = 0;
    m_sent = 0;
    m_hidStep = HidStep::Idle;
    m_notedMs = m_io.nowMs();
    m_io.log(isHid() ? msg::kFirmwareLoadedN14v2 : msg::kFirmwareLoaded);
    m_io.log(msg::kConnectAndReset);
}

std::size_t FirmwareTransfer::progressMaximum() const
{
    return (m_file ? m_file->bytes.size() : 0) + 10;
}

bool FirmwareTransfer::isIdentificationWord(std::string_view word) const
{
    for (const auto candidate : m_profile.identificationWords) {
        if (!candidate.empty() && candidate == word)
            return true;
    }
    return false;
}

bool FirmwareTransfer::onWord(std::string_view word)
{
    if (isIdentificationWord(word))
        onIdentificationWord();
    else if (word == "BOOT")
        onBoot();
    else if (word == "ACK")
        onAck();
    else if (word == "CRCERROR")
        onRefused(msg::kCrcError);
    else if (word == "UNKNOWNCOMMAND")
        onRefused(msg::kUnknownCommand);
    else if (word == "RESET" && m_profile.reset != ResetMeaning::Nothing)
        onReset();
    else
        return false;
    return true;
}

void FirmwareTransfer::onIdentificationWord()
{
    if (armed()) {
        if (isHid())
            m_hidStep = HidStep::BootloaderSeen;
        else
            m_io.sendByte(kAnswerToIdentification);
    }
    for (const auto line : m_profile.connectedLogLines) {
        if (!line.empty())
            m_io.log(line);
    }
}

void FirmwareTransfer::onBoot()
{
    if (isHid())
        m_io.log(msg::kHardwareConnected);
    m_io.log(msg::kPleaseWait);
    m_io.log(msg::kUpdating);
    m_sent = 0;
    m_nextRecord = 0;
    if (isHid()) {
        m_hidStep = HidStep::ReadyForRecord;
    } else {
        m_boot = true;
        m_ready = true;
    }
}

void FirmwareTransfer::onAck()
{
    if (isHid()) {
        m_hidStep = HidStep::ReadyForRecord;
        m_notedMs = m_io.nowMs();
    } else {
        m_ready = true;
    }
}

void FirmwareTransfer::onRefused(std::string_view why)
{
    end(Outcome::Failed);
    m_io.log(why);
    m_io.log(msg::kUpdateFailure);
    m_io.showError(msg::kUpdateFailure);
}

void FirmwareTransfer::onReset()
{
    const bool atTheEnd = allRecordsSent();
    end(atTheEnd ? Outcome::Completed : Outcome::Stopped);
    if (m_profile.reset == ResetMeaning::Succeeded) {
        m_io.log(msg::kUpdateSuccessful);
        m_io.showInformation(msg::kUpdateSuccessfulBox);
    }
}

void FirmwareTransfer::step()
{
    if (!armed())
        return;
    if (isHid())
        hidStep();
    else
        serialStep();
}

void FirmwareTransfer::serialStep()
{
    if (!m_boot || !m_ready)
        return;
    if (allRecordsSent()) {
        // The bootloader acknowledged the last record.
        end(Outcome::Completed);
        return;
    }
    const FirmwareRecord& record = m_file->records[m_nextRecord];
    // The line always carries the length high byte first.
    m_io.sendByte(static_cast<std::uint8_t>(record.length >> 8));
    m_io.sendByte(static_cast<std::uint8_t>(record.length & 0xFF));
    m_io.sendBlock(m_file->payload(record));
    m_sent += record.length;
    ++m_nextRecord;
    m_ready = false;
    m_io.setProgress(m_sent);
}

void FirmwareTransfer::hidStep()
{
    if (m_io.nowMs() - m_notedMs > kHidAckTimeoutMs) {
        // A plain message, as the worker shows it; not the Abort box of a refusal.
        end(Outcome::Failed);
        m_io.showInformation(msg::kUpdatingTimeout);
        return;
    }
    if (m_hidStep == HidStep::BootloaderSeen) {
        constexpr std::uint8_t kConnect[] = {'C', 'O', 'N'};
        m_io.hidWrite(kConnect);
        m_hidStep = HidStep::Idle;
    } else if (m_hidStep == HidStep::ReadyForRecord) {
        if (allRecordsSent()) {
            // Acknowledged past the last record instead of a RESET: nothing is left to send.
            end(Outcome::Completed);
            return;
        }
        const FirmwareRecord& record = m_file->records[m_nextRecord];
        m_io.hidWrite(std::span(m_file->bytes).subspan(record.offset, 2));
        m_io.hidWrite(m_file->payload(record));
        m_sent += record.length + 2U;
        ++m_nextRecord;
        m_io.setProgress(m_sent);
        m_hidStep = HidStep::Idle;
    }
}

void FirmwareTransfer::stop()
{
    end(Outcome::Stopped);
}

void FirmwareTransfer::end(Outcome outcome)
{
    if (!isHid()) {
        m_boot = m_ready = false;
        m_io.log(msg::kFirmwareClosing);
    }
    m_hidStep = HidStep::Idle;
    if (m_outcome == Outcome::Running)
        m_outcome = outcome;
    m_file.reset();
    m_io.transferEnded();
}

} // namespace wendax
