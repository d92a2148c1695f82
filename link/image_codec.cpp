#include "image_codec.h"

#include "devices/common/device_form.h"

#include <utility>

namespace wendax {

Model DeviceFormCodec::model() const
{
    return m_form.model();
}

std::span<std::uint8_t> DeviceFormCodec::image()
{
    return m_form.image();
}

std::optional<std::string> DeviceFormCodec::encodeImage()
{
    return m_form.encodeImage();
}

void DeviceFormCodec::decodeImage()
{
    m_form.decodeImage();
}

std::optional<std::string> RawImageCodec::encodeImage()
{
    ++m_encodes;
    return std::exchange(m_encodeFailure, std::nullopt);
}

} // namespace wendax
