#include "simulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace wendax::sim {
namespace {

// While no host has the terminal open the master side reports a hang-up
// without end; the device then looks again this often.
constexpr int kHostAbsentPollMs = 20;

std::string systemError(std::string_view what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

} // namespace

Simulator::Simulator(SimulatorOptions options, EventHandler onEvent)
    : m_device(options)
    , m_onEvent(std::move(onEvent))
{
    if (options.bootloader && !options.silent)
        m_bootloader.emplace(options.model, *options.bootloader);
    else if (options.bootloader)
        m_silentBootloader = true;
}

Simulator::~Simulator()
{
    stop();
}

bool Simulator::open(std::string& error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = systemError("cannot make a pseudo-terminal");
        return false;
    }
    char name[128];
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        error = systemError("cannot name the pseudo-terminal");
        return false;
    }
    m_path = name;
    // Raw mode, so that no byte of the protocol is changed on its way; the
    // host's serial port sets the same when it opens the terminal.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        error = systemError("cannot open " + m_path);
        return false;
    }
    termios settings{};
    tcgetattr(slave, &settings);
    cfmakeraw(&settings);
    tcsetattr(slave, TCSANOW, &settings);
    ::close(slave);
    if (fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0 || pipe(m_wake) != 0) {
        error = systemError("cannot set up the pseudo-terminal");
        return false;
    }
    return true;
}

void Simulator::stop()
{
    if (m_thread.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const auto written = ::write(m_wake[1], &wake, 1);
        m_thread.join();
    }
    for (int* fd : {&m_master, &m_wake[0], &m_wake[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void Simulator::run()
{
    for (;;) {
        const bool watched = !m_hostAbsent;
        pollfd fds[2] = {{watched ? m_master : -1, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (!m_output.empty())
            fds[0].events |= POLLOUT;
        const int ready = poll(fds, 2, pollTimeout());
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        m_hostAbsent = false;
        if ((fds[0].revents & POLLIN) != 0)
            handleInput();
        else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0)
            m_hostAbsent = true;
        if ((fds[0].revents & POLLOUT) != 0)
            flushOutput();
        if (m_bootloader)
            followAnnouncement(watched);
    }
}

int Simulator::pollTimeout() const
{
    if (m_hostAbsent)
        return kHostAbsentPollMs;
    // A bootloader that has not been answered yet looks for the host and
    // keeps announcing itself.
    if (!m_bootloader || !m_bootloader->awaitingAnswer())
        return -1;
    if (!m_announceAt)
        return kHostAbsentPollMs;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*m_announceAt - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kHostAbsentPollMs));
}

// The device resets once the host has opened the line: after the reset
// delay it announces itself, and again at every repeat until the host
// answers. A host that closes the line ends the announcements.
void Simulator::followAnnouncement(bool watched)
{
    if (!watched)
        return;
    if (m_hostAbsent) {
        m_announceAt.reset();
        return;
    }
    std::vector<std::string> events;
    {
        const std::scoped_lock lock(m_mutex);
        if (!m_bootloader->awaitingAnswer())
            return;
        const auto now = std::chrono::steady_clock::now();
        const BootloaderOptions& options = m_bootloader->options();
        if (!m_announceAt) {
            m_announceAt = now + options.announceDelay;
            return;
        }
        if (now < *m_announceAt)
            return;
        m_announceAt = now + options.announceRepeat;
        const auto word = m_bootloader->announce();
        m_output.insert(m_output.end(), word.begin(), word.end());
        events = m_bootloader->takeEvents();
    }
    if (m_onEvent) {
        for (const auto& line : events)
            m_onEvent(line);
    }
    flushOutput();
}

void Simulator::handleInput()
{
    std::uint8_t buffer[4096];
    const ssize_t got = ::read(m_master, buffer, sizeof buffer);
    if (got <= 0) {
        // EIO: the host closed the terminal; an answer has nobody to go to.
        if (got == 0 || errno == EIO) {
            m_hostAbsent = true;
            m_output.clear();
        }
        return;
    }
    const auto bytes = std::span(buffer, static_cast<std::size_t>(got));
    std::vector<std::string> events;
    if (m_bootloader) {
        handleBootloaderInput(bytes, events);
    } else if (!m_silentBootloader) {
        const std::scoped_lock lock(m_mutex);
        const auto answer = m_device.feed(bytes);
        m_output.insert(m_output.end(), answer.begin(), answer.end());
        events = m_device.takeEvents();
    }
    if (m_onEvent) {
        for (const auto& line : events)
            m_onEvent(line);
    }
    flushOutput();
    if (m_bootloader) {
        const std::scoped_lock lock(m_mutex);
        const auto answered = m_bootloader->answersGiven();
        if (answered > m_timings.answersWritten.size())
            m_timings.answersWritten.resize(answered, std::chrono::steady_clock::now());
    }
}

void Simulator::handleBootloaderInput(std::span<const std::uint8_t> bytes, std::vector<std::string>& events)
{
    const auto readAt = std::chrono::steady_clock::now();
    const std::scoped_lock lock(m_mutex);
    const auto answer = m_bootloader->feed(bytes);
    m_output.insert(m_output.end(), answer.begin(), answer.end());
    events = m_bootloader->takeEvents();
    const auto started = m_bootloader->recordsStarted();
    if (started > m_timings.recordStarts.size())
        m_timings.recordStarts.resize(started, readAt);
}

void Simulator::flushOutput()
{
    while (!m_output.empty()) {
        const ssize_t written = ::write(m_master, m_output.data(), m_output.size());
        if (written < 0) {
            if (errno == EIO)
                m_output.clear();
            return; // EAGAIN: the host reads on; poll says when there is room
        }
        m_output.erase(m_output.begin(), m_output.begin() + written);
    }
}

std::vector<std::uint8_t> Simulator::image() const
{
    const std::scoped_lock lock(m_mutex);
    return m_device.image();
}

int Simulator::writesStored() const
{
    const std::scoped_lock lock(m_mutex);
    return m_device.writesStored();
}

std::optional<std::array<std::uint8_t, 6>> Simulator::lastSetTime() const
{
    const std::scoped_lock lock(m_mutex);
    return m_device.lastSetTime();
}

std::vector<std::uint8_t> Simulator::bootloaderReceived() const
{
    const std::scoped_lock lock(m_mutex);
    return m_bootloader ? m_bootloader->received() : std::vector<std::uint8_t>{};
}

std::size_t Simulator::bootloaderDropped() const
{
    const std::scoped_lock lock(m_mutex);
    return m_bootloader ? m_bootloader->droppedBytes() : 0;
}

int Simulator::announcements() const
{
    const std::scoped_lock lock(m_mutex);
    return m_bootloader ? m_bootloader->announcements() : 0;
}

Simulator::BootTimings Simulator::bootTimings() const
{
    const std::scoped_lock lock(m_mutex);
    return m_timings;
}

std::unique_ptr<Simulator> startSimulator(SimulatorOptions options, Simulator::EventHandler onEvent,
                                          std::string& error)
{
    if (options.bootloader && !bootloaderWord(options.model)) {
        error = std::string(modelName(options.model)) +
                "'s bootloader is a USB HID device; the simulator plays serial bootloaders only";
        return nullptr;
    }
    if (!options.bootloader && imageSizeOf(options.model) == 0) {
        error = std::string(modelName(options.model)) + " has no configuration image to simulate";
        return nullptr;
    }
    if (!options.image.empty() && options.image.size() != imageSizeOf(options.model)) {
        error = "the configuration image of " + std::string(modelName(options.model)) + " is " +
                std::to_string(imageSizeOf(options.model)) + " bytes, not " + std::to_string(options.image.size());
        return nullptr;
    }
    std::unique_ptr<Simulator> simulator(new Simulator(std::move(options), std::move(onEvent)));
    if (!simulator->open(error))
        return nullptr;
    simulator->m_thread = std::thread([s = simulator.get()] { s->run(); });
    return simulator;
}

} // namespace wendax::sim
