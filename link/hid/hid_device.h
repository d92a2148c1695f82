#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace wendax::hid {

/// One opened HID device. read() runs on the receive thread while write()
/// runs on the GUI thread; implementations must allow that pairing.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    /// Bytes in one output report, identifier included.
    virtual std::size_t outputReportLength() const = 0;

    /// Writes one whole output report. false when the device refused it or is gone.
    virtual bool writeReport(std::span<const std::uint8_t> report) = 0;

    /// Waits up to `timeoutMs` for one input report. Returns the bytes read,
    /// 0 when none arrived, -1 when the device is gone.
    virtual int readReport(std::span<std::uint8_t> buffer, int timeoutMs) = 0;
};

/// Finds and opens the devices of one vendor and product.
class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual bool present(unsigned short vendorId, unsigned short productId) = 0;
    virtual std::unique_ptr<HidDevice> open(unsigned short vendorId, unsigned short productId) = 0;
};

/// The system's HID devices through hidapi.
std::unique_ptr<HidBackend> makeHidapiBackend();

} // namespace wendax::hid
