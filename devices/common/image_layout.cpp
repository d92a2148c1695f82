#include "image_layout.h"

#include "messages.h"

#include "core/byte_order.h"
#include "core/config_file.h"
#include "core/hex_text.h"

#include <algorithm>

namespace wendax {
namespace {

using Bytes = std::span<std::uint8_t>;
using ConstBytes = std::span<const std::uint8_t>;

/// Converts a decimal edit, or reports the text it could not convert.
std::optional<std::string> decimalOf(const FormState& form, std::string_view name, long long& value)
{
    const std::string& text = form.at(name).text;
    if (!parseDecimal(text, value))
        return conversionError(text);
    return std::nullopt;
}

std::uint8_t hexByteOf(std::string_view text)
{
    // Base-16 integer of a two-digit MAC field; the hexadecimal filter keeps
    // other characters out, and an empty field is 0.
    unsigned value = 0;
    for (const char c : text) {
        const int nibble = HexNibble(c);
        if (nibble >= 0)
            value = (value << 4) | static_cast<unsigned>(nibble);
    }
    return static_cast<std::uint8_t>(value);
}

std::size_t slotStride(const Dataset& table, std::size_t field)
{
    return table.fields().at(field).codeLength + 1;
}

std::optional<std::string> encodeField(const Field& f, const FormState& form, Bytes image)
{
    long long value = 0;
    switch (f.enc) {
    case Enc::Flag:
        image[f.offset] = form.at(f.names[0]).checked ? 1 : 0;
        return std::nullopt;
    case Enc::FlagBit:
        if (form.at(f.names[0]).checked)
            image[f.offset] = static_cast<std::uint8_t>(image[f.offset] | (1U << f.bit));
        return std::nullopt;
    case Enc::Choice: {
        const int index = form.at(f.names[0]).itemIndex;
        image[f.offset] = index < 0 ? 255 : static_cast<std::uint8_t>(index);
        return std::nullopt;
    }
    case Enc::Byte:
        if (auto error = decimalOf(form, f.names[0], value))
            return error;
        image[f.offset] = static_cast<std::uint8_t>(value);
        return std::nullopt;
    case Enc::U16:
    case Enc::U16BigEndian:
        if (auto error = decimalOf(form, f.names[0], value))
            return error;
        if (f.enc == Enc::U16)
            writeLe16(image, f.offset, static_cast<std::uint16_t>(value));
        else
            writeBe16(image, f.offset, static_cast<std::uint16_t>(value));
        return std::nullopt;
    case Enc::IPv4:
        for (std::size_t i = 0; i < 4; ++i) {
            if (auto error = decimalOf(form, f.names[i], value))
                return error;
            image[f.offset + i] = static_cast<std::uint8_t>(value);
        }
        return std::nullopt;
    case Enc::MAC:
        for (std::size_t i = 0; i < 6; ++i)
            image[f.offset + i] = hexByteOf(form.at(f.names[i]).text);
        return std::nullopt;
    case Enc::Account: {
        // D1D2D3D4 is the 16-bit value little-endian: D3D4 first, then D1D2.
        const std::string& digits = form.at(f.names[0]).text;
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        HexToBytes({&high, 1}, std::string_view(digits).substr(0, std::min<std::size_t>(2, digits.size())));
        HexToBytes({&low, 1}, digits.size() > 2 ? std::string_view(digits).substr(2) : std::string_view());
        image[f.offset] = low;
        image[f.offset + 1] = high;
        return std::nullopt;
    }
    case Enc::Text: {
        const std::string& text = form.at(f.names[0]).text;
        const std::size_t count = std::min(text.size(), f.width - 1);
        std::copy_n(text.begin(), count, image.begin() + static_cast<std::ptrdiff_t>(f.offset));
        image[f.offset + count] = 0;
        return std::nullopt;
    }
    case Enc::RowBits: {
        const Dataset& table = form.dataset(f.names[0]);
        const std::size_t field = table.fieldIndex(f.names[1]).value();
        std::uint8_t bits = 0;
        for (std::size_t row = 0; row < std::min<std::size_t>(table.rowCount(), 8); ++row) {
            if (table.boolean(row, field))
                bits = static_cast<std::uint8_t>(bits | (1U << row));
        }
        image[f.offset] = bits;
        return std::nullopt;
    }
    case Enc::CodeSlots: {
        const Dataset& table = form.dataset(f.names[0]);
        const std::size_t field = table.fieldIndex(f.names[1]).value();
        const std::size_t stride = slotStride(table, field);
        const std::size_t slots = std::min(f.width / stride, table.rowCount());
        for (std::size_t row = 0; row < slots; ++row) {
            const std::string code = table.text(row, field);
            const std::size_t at = f.offset + row * stride;
            const std::size_t count = std::min(code.size(), stride - 1);
            std::copy_n(code.begin(), count, image.begin() + static_cast<std::ptrdiff_t>(at));
            image[at + count] = 0;
        }
        return std::nullopt;
    }
    case Enc::ImageCrc32:
        storeInImageCrc(image);
        return std::nullopt;
    }
    return std::nullopt;
}

std::string textOfSlot(ConstBytes image, std::size_t offset, std::size_t width)
{
    const auto begin = image.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(begin, begin + static_cast<std::ptrdiff_t>(width), std::uint8_t{0});
    return std::string(begin, end);
}

std::string twoHexDigits(std::uint8_t value)
{
    return BytesToHex(ConstBytes(&value, 1));
}

void decodeField(const Field& f, ConstBytes image, FormState& form)
{
    switch (f.enc) {
    case Enc::Flag:
        form.setChecked(f.names[0], image[f.offset] != 0);
        return;
    case Enc::FlagBit:
        form.setChecked(f.names[0], (image[f.offset] >> f.bit) & 1U);
        return;
    case Enc::Choice:
        form.select(f.names[0], image[f.offset]);
        form.runListHandler(f.names[0]);
        return;
    case Enc::Byte:
        form.setText(f.names[0], std::to_string(image[f.offset]));
        return;
    case Enc::U16:
        form.setText(f.names[0], std::to_string(readLe16(image, f.offset)));
        return;
    case Enc::U16BigEndian:
        form.setText(f.names[0], std::to_string(readBe16(image, f.offset)));
        return;
    case Enc::IPv4:
        for (std::size_t i = 0; i < 4; ++i)
            form.setText(f.names[i], std::to_string(image[f.offset + i]));
        return;
    case Enc::MAC:
        for (std::size_t i = 0; i < 6; ++i)
            form.setText(f.names[i], twoHexDigits(image[f.offset + i]));
        return;
    case Enc::Account:
        form.setText(f.names[0], twoHexDigits(image[f.offset + 1]) + twoHexDigits(image[f.offset]));
        return;
    case Enc::Text:
        form.setText(f.names[0], textOfSlot(image, f.offset, f.width));
        return;
    case Enc::RowBits: {
        Dataset& table = form.dataset(f.names[0]);
        const std::size_t field = table.fieldIndex(f.names[1]).value();
        for (std::size_t row = 0; row < std::min<std::size_t>(table.rowCount(), 8); ++row)
            table.assign(row, field, ((image[f.offset] >> row) & 1U) != 0);
        return;
    }
    case Enc::CodeSlots: {
        Dataset& table = form.dataset(f.names[0]);
        const std::size_t field = table.fieldIndex(f.names[1]).value();
        const std::size_t stride = slotStride(table, field);
        const std::size_t slots = std::min(f.width / stride, table.rowCount());
        for (std::size_t row = 0; row < slots; ++row)
            table.assign(row, field, textOfSlot(image, f.offset + row * stride, stride));
        return;
    }
    case Enc::ImageCrc32:
        return;
    }
}

} // namespace

std::optional<std::string> encodeImage(std::span<const Field> layout, const FormState& form, Bytes image)
{
    std::fill(image.begin(), image.end(), std::uint8_t{0});
    for (const Field& field : layout) {
        if (auto error = encodeField(field, form, image))
            return error;
    }
    return std::nullopt;
}

void decodeImage(std::span<const Field> layout, ConstBytes image, FormState& form)
{
    for (const Field& field : layout)
        decodeField(field, image, form);
}

} // namespace wendax
