#pragma once
#include "devices/common/form_state.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

/// The settings document of a device window: every value-carrying control and
/// every table cell, as JSON. Texts of the device's single-byte character set
/// travel as the code points U+0000..U+00FF, byte for byte.
namespace wendax::cli {

using Json = nlohmann::ordered_json;

/// {"model": ..., "settings": {...}, "tables": {...}} in the form's own order.
Json formToJson(std::string_view modelName, const FormState& form);

/// Applies a settings document to the form in its order, each value as a user
/// would enter it: typed and left (edits), ticked (check boxes), picked with
/// the list's handler running (lists), typed into a cell (tables). Returns a
/// message on the first value the form cannot take; values before it stay
/// applied, so callers work on a form they may discard.
std::optional<std::string> applyJson(const Json& document, std::string_view modelName, FormState& form);

/// UTF-8 from single-byte text (each byte is one code point up to U+00FF).
std::string utf8FromSingleByte(std::string_view bytes);

/// Single-byte text from UTF-8; nullopt when the text is not UTF-8 or holds a
/// character beyond U+00FF.
std::optional<std::string> singleByteFromUtf8(std::string_view utf8);

} // namespace wendax::cli
