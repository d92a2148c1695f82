#include "link_test_support.h"

#include <QTest>

#include <algorithm>

namespace wendax::test {

void RecordingServices::storeComEnable(bool on)
{
    comEnableStored.push_back(on);
    emit changed();
}

void RecordingServices::setStatusPanel(int panel, std::string_view text)
{
    panels.at(static_cast<std::size_t>(panel)) = text;
    if (panel == 3)
        history.push_back("panel 3: " + std::string(text));
    emit changed();
}

void RecordingServices::logChanged(const LogChange& change)
{
    applyLogChange(logMirror, change);
}

void RecordingServices::showProgress(int maximum)
{
    progressMaximum = maximum;
    progress = 0;
    progressShown = true;
}

void RecordingServices::advanceProgress(int count)
{
    progress += count;
}

void RecordingServices::closeProgress()
{
    progressShown = false;
    emit changed();
}

void RecordingServices::setTransferCommandsEnabled(bool enabled)
{
    commandsEnabled = enabled;
    commandStates.push_back(enabled);
    emit changed();
}

void RecordingServices::showMessage(const UserMessage& message)
{
    messages.push_back(message);
    history.push_back("message: " + message.text);
    messageTimes.push_back(m_clock ? m_clock->now() : Milliseconds{0});
    if (whileShowing)
        whileShowing(message);
    emit changed();
}

std::vector<std::string> RecordingServices::messageTexts() const
{
    std::vector<std::string> texts;
    for (const auto& m : messages)
        texts.push_back(m.text);
    return texts;
}

bool RecordingServices::shown(std::string_view text) const
{
    return std::any_of(messages.begin(), messages.end(), [text](const UserMessage& m) { return m.text == text; });
}

std::optional<std::string> FakeTransport::open(const std::string& name)
{
    m_name = name;
    if (openFailure)
        return openFailure;
    m_open = true;
    return std::nullopt;
}

std::optional<std::string> FakeTransport::write(std::span<const std::uint8_t> data)
{
    if (!m_open)
        return std::string("the port is not open");
    writes.emplace_back(data.begin(), data.end());
    return std::nullopt;
}

std::vector<std::uint8_t> FakeTransport::read(std::size_t limit)
{
    const std::size_t count = std::min(limit, m_incoming.size());
    std::vector<std::uint8_t> out(m_incoming.begin(), m_incoming.begin() + static_cast<std::ptrdiff_t>(count));
    m_incoming.erase(m_incoming.begin(), m_incoming.begin() + static_cast<std::ptrdiff_t>(count));
    return out;
}

void FakeTransport::deliver(std::span<const std::uint8_t> data)
{
    m_incoming.insert(m_incoming.end(), data.begin(), data.end());
    notifyReadyRead();
}

void FakeTransport::deliver(std::string_view text)
{
    deliver(bytes(text));
}

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

bool waitUntil(const std::function<bool()>& done, int boundMs)
{
    return QTest::qWaitFor(done, boundMs);
}

} // namespace wendax::test
