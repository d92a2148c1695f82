#pragma once
#include <cstddef>
#include <string>
#include <string_view>

/// Code cells hold a fixed-length CodeText of upper-case hexadecimal digits
/// (9 characters in the event tables of most models, 3 in some).
namespace wendax {

inline constexpr std::size_t kCodeTextLength = 9;

/// The key filter: only "0"-"9" and "A"-"F" reach a code cell; lower-case
/// letters and Backspace are discarded. Keys without a character are not filtered.
bool acceptsCodeKey(char c);

/// The set-text rule: a text of exactly `length` characters is stored as it
/// is, any other length stores `length` zeros.
std::string codeCellSetText(std::string_view text, std::size_t length = kCodeTextLength);

/// A text typed key by key into a code cell, then stored: the key filter drops
/// what it discards, the set-text rule decides what is kept.
std::string typeIntoCodeCell(std::string_view typed, std::size_t length = kCodeTextLength);

} // namespace wendax
