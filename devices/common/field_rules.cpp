#include "field_rules.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace wendax {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'A' && c <= 'F');
}

std::string keepOnly(std::string_view text, bool (*accepted)(char))
{
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept), accepted);
    return kept;
}

// The limit rules only ever see digits (their change filter ran first); a
// value too large to hold in any integer type is still "too large".
bool atLeast(std::string_view digits, unsigned long long limit)
{
    unsigned long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error == std::errc::result_out_of_range)
        return true;
    return error == std::errc{} && end == digits.data() + digits.size() && value >= limit;
}

std::string clampDecimal(std::string_view text, unsigned long long limit, std::string_view ceiling)
{
    if (text.empty())
        return "0";
    return atLeast(text, limit) ? std::string(ceiling) : std::string(text);
}

} // namespace

std::string applyChangeRule(ChangeRule rule, std::string_view text)
{
    switch (rule) {
    case ChangeRule::None: return std::string(text);
    case ChangeRule::Digits: return keepOnly(text, isDigit);
    case ChangeRule::Hex: return keepOnly(text, isHexDigit);
    }
    return std::string(text);
}

std::string applyExitRule(ExitRule rule, std::string_view text)
{
    switch (rule) {
    case ExitRule::None: return std::string(text);
    case ExitRule::ZeroIfEmpty: return text.empty() ? "0" : std::string(text);
    case ExitRule::Octet: return clampDecimal(text, 256, "255");
    case ExitRule::Word: return clampDecimal(text, 65536, "65535");
    case ExitRule::Int9999: return clampDecimal(text, 10000, "9999");
    case ExitRule::Account: return text.size() == 4 ? std::string(text) : "0000";
    case ExitRule::Password: return text.size() == 6 ? std::string(text) : "907158";
    }
    return std::string(text);
}

bool parseDecimal(std::string_view text, long long& value)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (error != std::errc{} || end != digits.data() + digits.size())
        return false;
    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
    if (magnitude > kMax + (negative ? 1 : 0))
        return false;
    value = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    return true;
}

} // namespace wendax
