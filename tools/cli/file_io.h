#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wendax::cli {

/// Reads a whole file of at most `limit` bytes. On failure `error` says why
/// (missing, unreadable, too long) and nullopt is returned.
std::optional<std::vector<std::uint8_t>> readFileBounded(const std::filesystem::path& path, std::size_t limit,
                                                         std::string& error);

/// Writes `bytes` to a temporary file beside `path`, flushes it to disk and
/// renames it over `path`: a crash or a full disk never leaves a half-written
/// file, and an existing file is untouched unless the write succeeded.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

/// The folder that holds the running executable.
std::filesystem::path programFolder();

} // namespace wendax::cli
