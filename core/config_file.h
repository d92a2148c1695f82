#pragma once
#include "model_keys.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace wendax {

/// How a model's plain image is checked after deciphering.
enum class ImageCheck {
    InImage,  ///< ImageCrc32 over plain bytes 0..4091 equals the LE value at 4092
    Trailing, ///< ImageCrc32 over the whole plain image equals the plain LE value after it
};

/// The configuration-file envelope of one model: how its image is enciphered,
/// checked and laid into a file, and which default file it starts from.
struct ConfigEnvelope {
    Model model;
    std::size_t imageSize;          ///< plain image bytes, all enciphered
    bool trailingCrcOnSave;         ///< Save appends ImageCrc32 of the plain image, unenciphered
    bool hasFileCommands;           ///< Open and Save apply to this model's window
    ImageCheck openCheck;           ///< what File Open checks
    std::string_view defaultFileName; ///< below "DefaultConfig"
    std::size_t defaultReadSize;    ///< bytes read from the default file
    ImageCheck defaultCheck;        ///< what the default load checks
    bool defaultFailureReported;    ///< "Wrong Default configuration data" on a failed check
    bool openFailureReported;       ///< "Wrong configuration data" on a failed File Open

    /// Bytes SaveImage puts into the shared file buffer: the enciphered image,
    /// plus its plain ImageCrc32 where the model appends one.
    std::size_t sealedSize() const { return imageSize + (trailingCrcOnSave ? 4 : 0); }
};

/// The envelope of a model, or nullptr for PL3 (no configuration image).
const ConfigEnvelope* envelopeFor(Model model);

/// The number of bytes Save writes from the shared buffer for the active model.
std::size_t saveLengthFor(Model model);

/// Seals a plain image as SaveImage does: enciphers it with the model key and
/// appends the plain trailing ImageCrc32 where the model has one. `plainImage`
/// must hold envelope.imageSize bytes; the in-image checksum is the caller's.
std::vector<std::uint8_t> sealImage(const ConfigEnvelope& envelope, std::span<const std::uint8_t> plainImage);

/// Deciphers the sealed bytes with the model key and applies `check`. Returns
/// the plain image (imageSize bytes) when the check holds, nullopt when it
/// fails or when `sealed` is too short for the check to be made.
std::optional<std::vector<std::uint8_t>> unsealImage(const ConfigEnvelope& envelope, ImageCheck check,
                                                     std::span<const std::uint8_t> sealed);

/// True when the plain image passes `check`; `trailing` holds the four bytes
/// after the image for ImageCheck::Trailing.
bool imagePassesCheck(std::span<const std::uint8_t> plainImage, ImageCheck check,
                      std::span<const std::uint8_t> trailing = {});

/// Stores ImageCrc32 of plain bytes 0..4091 at 4092, as the model encoders do.
void storeInImageCrc(std::span<std::uint8_t> plainImage);

inline constexpr std::size_t kInImageCrcOffset = 4092;

/// The frame's shared configuration file buffer. File Open fills it from
/// offset 0, SaveImage puts sealed bytes at offset 0, Save writes its head.
/// Bytes neither touches keep their earlier content, as saved files' filler shows.
class ConfigFileBuffer {
public:
    static constexpr std::size_t kSize = 38144;

    /// Takes a file's bytes. A file longer than the buffer is refused (false)
    /// and the buffer is left as it was: cutting it would decode a stranger's
    /// bytes as if they were a whole file.
    bool load(std::span<const std::uint8_t> fileBytes);

    /// Puts sealed image bytes at offset 0 (at most kSize bytes are taken).
    void put(std::span<const std::uint8_t> sealed);

    std::span<const std::uint8_t> head(std::size_t count) const;
    std::size_t lastReadLength() const { return m_lastReadLength; }

private:
    std::array<std::uint8_t, kSize> m_bytes{};
    std::size_t m_lastReadLength = 0;
};

} // namespace wendax
