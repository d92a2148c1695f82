#include "device_form.h"

#include "messages.h"

#include <algorithm>
#include <fstream>

namespace wendax {

DeviceForm::DeviceForm(const ModelDefinition& definition)
    : m_definition(definition)
    , m_buffer(definition.imageBufferSize, 0)
{
    m_definition.buildForm(m_form);
}

std::optional<std::string> DeviceForm::encodeImage()
{
    return wendax::encodeImage(m_definition.layout, m_form, image());
}

void DeviceForm::decodeImage()
{
    wendax::decodeImage(m_definition.layout, image(), m_form);
}

LoadResult DeviceForm::decodeSealed(std::span<const std::uint8_t> sealed, ImageCheck check, bool reportFailure,
                                    std::string_view failureMessage)
{
    const ConfigEnvelope* envelope = envelopeFor(model());
    const auto plain = envelope ? unsealImage(*envelope, check, sealed) : std::nullopt;
    if (!plain)
        return {LoadResult::Outcome::CheckFailed, reportFailure ? std::string(failureMessage) : std::string()};
    std::copy(plain->begin(), plain->end(), m_buffer.begin());
    decodeImage();
    return {LoadResult::Outcome::Decoded, {}};
}

LoadResult DeviceForm::loadImage(const ConfigFileBuffer& files)
{
    const ConfigEnvelope* envelope = envelopeFor(model());
    if (envelope == nullptr || !envelope->hasFileCommands)
        return {LoadResult::Outcome::NoFile, {}};
    const std::size_t needed = envelope->imageSize + (envelope->openCheck == ImageCheck::Trailing ? 4 : 0);
    return decodeSealed(files.head(needed), envelope->openCheck, envelope->openFailureReported,
                        msg::kWrongConfigurationData);
}

std::optional<std::string> DeviceForm::saveImage(ConfigFileBuffer& files)
{
    const ConfigEnvelope* envelope = envelopeFor(model());
    if (envelope == nullptr || !envelope->hasFileCommands)
        return std::nullopt;
    if (auto error = encodeImage())
        return error;
    files.put(sealImage(*envelope, image()));
    return std::nullopt;
}

LoadResult DeviceForm::loadDefaults(const std::filesystem::path& programFolder)
{
    const ConfigEnvelope* envelope = envelopeFor(model());
    if (envelope == nullptr)
        return {LoadResult::Outcome::NoFile, {}};
    const auto path = programFolder / "DefaultConfig" / std::string(envelope->defaultFileName);
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {LoadResult::Outcome::NoFile, {}};
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> sealed(envelope->defaultReadSize, 0);
    file.read(reinterpret_cast<char*>(sealed.data()), static_cast<std::streamsize>(sealed.size()));
    if (file.bad() || !file.is_open())
        return {LoadResult::Outcome::Unreadable, {}};
    // A short file leaves zeros where the window's buffer would have held
    // stale bytes; the checksum decides either way.
    return decodeSealed(sealed, envelope->defaultCheck, envelope->defaultFailureReported,
                        msg::kWrongDefaultConfigurationData);
}

} // namespace wendax
