#include "hid_device.h"
#include "hid_reports.h"

#include <hidapi.h>

namespace wendax::hid {
namespace {

// hidapi 0.13 reports no output report length; the bootloader's output
// reports have the size of its input reports (identifier and 64 bytes).
constexpr std::size_t kBootloaderOutputReportLength = kInputReportSize;

class HidapiDevice final : public HidDevice {
public:
    explicit HidapiDevice(hid_device* handle)
        : m_handle(handle)
    {
    }
    ~HidapiDevice() override { hid_close(m_handle); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    std::size_t outputReportLength() const override { return kBootloaderOutputReportLength; }

    bool writeReport(std::span<const std::uint8_t> report) override
    {
        return hid_write(m_handle, report.data(), report.size()) == static_cast<int>(report.size());
    }

    int readReport(std::span<std::uint8_t> buffer, int timeoutMs) override
    {
        return hid_read_timeout(m_handle, buffer.data(), buffer.size(), timeoutMs);
    }

private:
    hid_device* m_handle;
};

class HidapiBackend final : public HidBackend {
public:
    HidapiBackend() { m_initialised = hid_init() == 0; }
    ~HidapiBackend() override
    {
        if (m_initialised)
            hid_exit();
    }
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    bool present(unsigned short vendorId, unsigned short productId) override
    {
        if (!m_initialised)
            return false;
        hid_device_info* found = hid_enumerate(vendorId, productId);
        const bool any = found != nullptr;
        hid_free_enumeration(found);
        return any;
    }

    std::unique_ptr<HidDevice> open(unsigned short vendorId, unsigned short productId) override
    {
        if (!m_initialised)
            return nullptr;
        hid_device* handle = hid_open(vendorId, productId, nullptr);
        return handle == nullptr ? nullptr : std::make_unique<HidapiDevice>(handle);
    }

private:
    bool m_initialised = false;
};

} // namespace

std::unique_ptr<HidBackend> makeHidapiBackend()
{
    return std::make_unique<HidapiBackend>();
}

} // namespace wendax::hid
