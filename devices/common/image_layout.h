#pragma once
#include "form_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace wendax {

/// The encodings of settings inside a configuration image.
enum class Enc {
    Flag,         ///< 1 byte: 1 when checked; any non-zero byte checks
    FlagBit,      ///< one bit (Field::bit) of a byte shared with other flag bits
    RowBits,      ///< 1 byte: bit i is the Boolean field of table row i
    Choice,       ///< 1 byte: the selected index, 255 when none
    Byte,         ///< decimal text, low 8 bits
    U16,          ///< decimal text, low 16 bits, little-endian
    U16BigEndian, ///< decimal text, low 16 bits, high byte first
    IPv4,         ///< four octet edits, one byte each, first octet lowest
    MAC,          ///< six two-digit hexadecimal edits
    Account,      ///< four hexadecimal digits D1D2D3D4 stored as the LE value
    Text,         ///< the text and a zero byte, bounded by the slot
    CodeSlots,    ///< one CodeText and a zero byte per table row
    ImageCrc32,   ///< ImageCrc32 of bytes 0..4091, stored at 4092
};

using Names = std::array<std::string_view, 6>;

/// One row of a model's layout table: where a setting lives and how it is
/// encoded. Controls are named in `names`; the table encodings name the
/// dataset first and its field second.
struct Field {
    std::size_t offset;
    std::size_t width;
    Enc enc;
    Names names{};
    int bit = 0; ///< FlagBit: the bit number in its byte
};

/// Table rows that fit in the image and do not overlap (flag bits may share
/// their byte with other flag bits). Meant for static_assert beside a table.
constexpr bool fitsImage(std::span<const Field> fields, std::size_t imageSize)
{
    for (const Field& f : fields) {
        if (f.width == 0 || f.offset + f.width > imageSize)
            return false;
    }
    return true;
}

constexpr bool noOverlaps(std::span<const Field> fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        for (std::size_t j = i + 1; j < fields.size(); ++j) {
            const Field& a = fields[i];
            const Field& b = fields[j];
            const bool apart = a.offset + a.width <= b.offset || b.offset + b.width <= a.offset;
            const bool sharedBits = a.enc == Enc::FlagBit && b.enc == Enc::FlagBit && a.bit != b.bit;
            if (!apart && !sharedBits)
                return false;
        }
    }
    return true;
}

/// EncodeImage: clears `image`, then writes every field of the table in
/// order. Returns the message of the first conversion failure (a decimal field
/// that holds no number); the fields after it are not written then.
std::optional<std::string> encodeImage(std::span<const Field> layout, const FormState& form, std::span<std::uint8_t> image);

/// DecodeImage: sets every control and table cell from a verified image, in
/// table order; a list's handler runs right after the list is set.
void decodeImage(std::span<const Field> layout, std::span<const std::uint8_t> image, FormState& form);

} // namespace wendax
