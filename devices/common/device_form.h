#pragma once
#include "form_state.h"
#include "model_definition.h"

#include "core/config_file.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace wendax {

/// What a load from a file or a default file came to.
struct LoadResult {
    enum class Outcome { Decoded, CheckFailed, NoFile, Unreadable };
    Outcome outcome = Outcome::NoFile;
    /// The message the window shows, empty when the model stays silent.
    std::string message;

    bool decoded() const { return outcome == Outcome::Decoded; }
};

/// The headless device window: form state, the image buffer and the file
/// side of the window's operations. The widgets and the link drive it.
class DeviceForm {
public:
    explicit DeviceForm(const ModelDefinition& definition);

    const ModelDefinition& definition() const { return m_definition; }
    Model model() const { return m_definition.model; }
    FormState& form() { return m_form; }
    const FormState& form() const { return m_form; }

    /// The image buffer: the plain image and the transfer tail after it.
    std::span<std::uint8_t> buffer() { return m_buffer; }
    std::span<std::uint8_t> image() { return std::span(m_buffer).first(m_definition.imageSize); }

    /// EncodeImage into the buffer. Returns the conversion message on failure;
    /// the form is left as the user had it.
    std::optional<std::string> encodeImage();
    /// DecodeImage from the plain image in the buffer, which the caller verified.
    void decodeImage();

    /// LoadImage: deciphers and checks the head of the shared file buffer and
    /// decodes it when the check holds. The form is untouched otherwise.
    LoadResult loadImage(const ConfigFileBuffer& files);

    /// SaveImage: encodes, seals and puts the file bytes into the shared
    /// buffer. On a conversion failure the buffer is untouched and the
    /// message is returned.
    std::optional<std::string> saveImage(ConfigFileBuffer& files);

    /// LoadDefaults from `programFolder`/DefaultConfig/<the model's file>.
    LoadResult loadDefaults(const std::filesystem::path& programFolder);

    /// Set when the window is closed; a firmware step on another thread reads it.
    bool closed() const { return m_closed.load(); }
    void markClosed() { m_closed.store(true); }

private:
    LoadResult decodeSealed(std::span<const std::uint8_t> sealed, ImageCheck check, bool reportFailure,
                            std::string_view failureMessage);

    const ModelDefinition& m_definition;
    FormState m_form;
    std::vector<std::uint8_t> m_buffer;
    std::atomic<bool> m_closed{false};
};

} // namespace wendax
