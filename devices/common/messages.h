#pragma once
#include <string>
#include <string_view>

/// The device windows' own texts, shown by both front ends.
namespace wendax::msg {

inline constexpr std::string_view kWrongConfigurationData = "Wrong configuration data";
inline constexpr std::string_view kWrongDefaultConfigurationData = "Wrong Default configuration data";

/// The message EncodeImage gives for a decimal field that holds no number.
inline std::string conversionError(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid integer value";
}

} // namespace wendax::msg

namespace wendax {
using msg::conversionError;
}
