#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <vector>

/// The language-file layout shared by language, default and checked files:
///   int32 N, N names, int32 M, M entries of (key, N texts)
/// with every integer 32-bit little-endian and every string an int32 length
/// followed by that many code-page bytes (code_page.h), no terminator.
namespace wendax {

/// Readers keep each string in a 256-byte area: longer strings are cut.
inline constexpr qsizetype kMaxLngStringBytes = 255;
/// Language files are read whole; a file above this size is refused unread.
/// The largest window's file in a handful of languages stays far below it.
inline constexpr qsizetype kMaxLngFileBytes = 4 * 1024 * 1024;

struct LngEntry {
    QString key;
    QStringList texts; ///< one per language, in the file's language order

    friend bool operator==(const LngEntry&, const LngEntry&) = default;
};

struct LngFile {
    QStringList languages;
    std::vector<LngEntry> entries;

    friend bool operator==(const LngFile&, const LngFile&) = default;
};

/// How reading a language file went.
enum class LngStatus {
    Complete,   ///< every count and string was whole
    Cut,        ///< the entries ended early or broke off: the whole entries before are kept
    Refused,    ///< no usable header (no language named, counts impossible, too large): nothing kept
    Missing,    ///< no such file
    Unreadable, ///< the file exists but could not be read
};

struct LngReadResult {
    LngFile file;
    LngStatus status = LngStatus::Complete;
    int stringsCut = 0; ///< strings longer than kMaxLngStringBytes, kept as their first bytes
    QString detail;     ///< what was wrong, for the log; empty when Complete

    /// True when `file` holds at least one language to translate with.
    bool usable() const { return status == LngStatus::Complete || status == LngStatus::Cut; }
};

/// Parses untrusted bytes. Never reads outside `bytes`, never allocates by a
/// count the bytes could not back. A file that names no language, or whose
/// header (counts and names) is incomplete or impossible, is Refused; entries
/// that break off are Cut after the last whole entry. Bytes after the last
/// counted entry are ignored.
LngReadResult parseLng(QByteArrayView bytes);

/// Reads and parses the file at `path`; Missing when there is none, Refused
/// (unread) above kMaxLngFileBytes.
LngReadResult readLngFile(const QString& path);

struct LngWriteResult {
    bool written = false;
    int stringsCut = 0;   ///< strings cut to kMaxLngStringBytes so every reader can take them
    int stringsLossy = 0; ///< strings holding characters the code page lacks, written as '?'
    QString error;        ///< why the file could not be written
};

/// Lays out `file`; an entry with fewer texts than languages gets empty ones,
/// extra texts are dropped, so the result always parses back.
QByteArray serializeLng(const LngFile& file, LngWriteResult* counts = nullptr);

/// Replaces the file at `path` atomically: a failed write leaves the old file.
LngWriteResult writeLngFile(const QString& path, const LngFile& file);

} // namespace wendax
