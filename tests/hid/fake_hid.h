#pragma once
// A pretend N14v2 bootloader behind the HID transport interface, for tests.
#include "link/hid/hid_device.h"
#include "link/hid/hid_reports.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace wendax::hid {

using Report = std::vector<std::uint8_t>;

/// A bootloader on a pretend bus: plugged in or not, with input reports queued.
struct FakeBus {
    std::mutex mutex;
    bool plugged = false;
    bool failReads = false;
    bool stallWrites = false; ///< writes block until this is cleared and `released` notified
    std::condition_variable released;
    std::deque<Report> inbound;
    std::vector<Report> written;
};

class FakeDevice final : public HidDevice {
public:
    explicit FakeDevice(std::shared_ptr<FakeBus> bus)
        : m_bus(std::move(bus))
    {
    }
    std::size_t outputReportLength() const override { return 65; }
    bool writeReport(std::span<const std::uint8_t> report) override
    {
        std::unique_lock lock(m_bus->mutex);
        m_bus->released.wait(lock, [this] { return !m_bus->stallWrites; });
        m_bus->written.emplace_back(report.begin(), report.end());
        return m_bus->plugged;
    }
    int readReport(std::span<std::uint8_t> buffer, int) override
    {
        {
            std::lock_guard lock(m_bus->mutex);
            if (m_bus->failReads)
                return -1;
            if (!m_bus->inbound.empty()) {
                const Report report = m_bus->inbound.front();
                m_bus->inbound.pop_front();
                std::copy(report.begin(), report.end(), buffer.begin());
                return static_cast<int>(report.size());
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1)); // the device's own wait
        return 0;
    }

private:
    std::shared_ptr<FakeBus> m_bus;
};

class FakeBackend final : public HidBackend {
public:
    explicit FakeBackend(std::shared_ptr<FakeBus> bus)
        : m_bus(std::move(bus))
    {
    }
    bool present(unsigned short vendor, unsigned short product) override
    {
        std::lock_guard lock(m_bus->mutex);
        return m_bus->plugged && vendor == kVendorId && product == kProductId;
    }
    std::unique_ptr<HidDevice> open(unsigned short vendor, unsigned short product) override
    {
        return present(vendor, product) ? std::make_unique<FakeDevice>(m_bus) : nullptr;
    }

private:
    std::shared_ptr<FakeBus> m_bus;
};

/// An input report of 65 bytes: identifier 0, the count byte, the payload.
inline Report inputReport(std::string_view payload, int count = -1)
{
    Report report(65, 0);
    report[1] = static_cast<std::uint8_t>(count < 0 ? static_cast<int>(payload.size()) : count);
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    return report;
}

} // namespace wendax::hid
