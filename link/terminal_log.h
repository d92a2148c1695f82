#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wendax {

/// Appends the log form of received bytes to `out`: 0x20..0x7E, CR and LF as
/// they are, every other byte as the five characters \0xHH (upper-case hex).
void appendEscaped(std::string& out, std::span<const std::uint8_t> bytes);
std::string escapeForLog(std::span<const std::uint8_t> bytes);

/// One update of the log's text, small enough for a view to apply without
/// redrawing the whole log: drop characters at the front, drop characters at
/// the back, then append. Line breaks are "\r\n" in all three counts.
struct LogChange {
    bool cleared = false;        ///< the log was emptied; nothing else is set
    std::size_t removedFront = 0;
    std::size_t removedBack = 0;
    std::string appended;
};

/// Applies `change` to a copy of the log text, as a view does.
void applyLogChange(std::string& mirror, const LogChange& change);

/// The text of the terminal log and the rules that rewrite it on every
/// received chunk. The text is a run of lines, each ending in "\r\n".
/// GUI thread only.
class TerminalLog {
public:
    /// Once the text reaches kCutAt characters, the next received chunk keeps
    /// only its last kKeep characters (without the final line break).
    static constexpr std::size_t kCutAt = 30000;
    static constexpr std::size_t kKeep = 20000;

    using Listener = std::function<void(const LogChange&)>;
    explicit TerminalLog(Listener listener = {}) : m_listener(std::move(listener)) {}

    const std::string& text() const { return m_text; }

    /// Adds `line` as a new line. While a received chunk is open the line is
    /// held back and follows the chunk's text when the chunk ends.
    void addLine(std::string_view line);

    /// Opens a received chunk (the serial receive event).
    void beginChunk();
    /// Ends the chunk: unless `show` is false (an image is being received),
    /// the text becomes the working copy plus `escaped`; then the lines added
    /// during the chunk follow. Bytes of a hidden chunk never reach the log.
    void endChunk(std::string_view escaped, bool show);

    /// The text becomes the working copy plus `escaped` at once (HID reports,
    /// which the receive path shows even during image reception).
    void showReceived(std::string_view escaped);

    /// "Clear": empties the log and its working copy.
    void clear();

private:
    void replaceWithWorkingCopy(std::string_view escaped, LogChange& change);
    void appendLine(std::string_view line, LogChange& change);
    void apply(const LogChange& change);

    Listener m_listener;
    std::string m_text;
    int m_chunkDepth = 0;
    std::vector<std::string> m_heldLines;
};

} // namespace wendax
