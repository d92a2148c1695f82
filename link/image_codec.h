#pragma once
#include "core/model_keys.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wendax {

class DeviceForm;

/// The model side of a device window as the configuration transfer sees it:
/// EncodeImage and DecodeImage as black boxes over the window's plain image.
/// GUI thread only.
class ImageCodec {
public:
    virtual ~ImageCodec() = default;
    virtual Model model() const = 0;
    /// The window's plain configuration image (the model's image size).
    virtual std::span<std::uint8_t> image() = 0;
    /// EncodeImage: fills image() from the window. Returns the message of a
    /// field that cannot be converted; image() is then not complete.
    virtual std::optional<std::string> encodeImage() = 0;
    /// DecodeImage: fills the window from image(), which the caller verified.
    virtual void decodeImage() = 0;
};

/// A device form's codec: the model's layout table does the work.
class DeviceFormCodec final : public ImageCodec {
public:
    explicit DeviceFormCodec(DeviceForm& form) : m_form(form) {}
    Model model() const override;
    std::span<std::uint8_t> image() override;
    std::optional<std::string> encodeImage() override;
    void decodeImage() override;

private:
    DeviceForm& m_form;
};

/// The codec of a window whose image is kept as bytes: encoding keeps the
/// image as it is, decoding counts. Serves models whose windows are not
/// built yet, and tests.
class RawImageCodec final : public ImageCodec {
public:
    RawImageCodec(Model model, std::size_t imageSize) : m_model(model), m_image(imageSize, 0) {}
    Model model() const override { return m_model; }
    std::span<std::uint8_t> image() override { return m_image; }
    std::optional<std::string> encodeImage() override;
    void decodeImage() override { ++m_decodes; }

    int decodes() const { return m_decodes; }
    int encodes() const { return m_encodes; }
    /// Makes the next encodeImage() fail with `message`, as a field holding
    /// no number does.
    void failNextEncode(std::string message) { m_encodeFailure = std::move(message); }

private:
    Model m_model;
    std::vector<std::uint8_t> m_image;
    int m_decodes = 0;
    int m_encodes = 0;
    std::optional<std::string> m_encodeFailure;
};

} // namespace wendax
