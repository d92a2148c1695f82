#pragma once
#include <string>
#include <string_view>

/// The edit-field rules shared by every device window, as pure functions on
/// text. A change rule runs whenever the text changes, an exit rule when the
/// field loses the focus; both silently rewrite the text.
namespace wendax {

enum class ChangeRule {
    None,
    Digits, ///< Edit_Number_Check: keeps "0"-"9"
    Hex,    ///< Edit_Number_Check_hex: keeps "0"-"9" and "A"-"F" (lower case removed)
};

enum class ExitRule {
    None,
    ZeroIfEmpty, ///< Edit_Len_Check
    Octet,       ///< Edit_exit_IP_Check: empty -> "0", 256 or more -> "255"
    Word,        ///< Word65535_DecimalExit / EditExit_65535: empty -> "0", 65536 or more -> "65535"
    Account,     ///< AccountHexNumberExit / ObjCheck: length other than 4 -> "0000"
    Password,    ///< PasswordExitLen6 / PasswordCheck: length other than 6 -> "907158"
    Int9999,     ///< Int9999_Check: empty -> "0", 10000 or more -> "9999"
};

std::string applyChangeRule(ChangeRule rule, std::string_view text);
std::string applyExitRule(ExitRule rule, std::string_view text);

/// The conversion EncodeImage applies to decimal fields: an optional sign and
/// at least one decimal digit, within 32-bit signed range. Anything else,
/// the empty text included, holds no number.
bool parseDecimal(std::string_view text, long long& value);

} // namespace wendax
