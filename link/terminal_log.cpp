#include "terminal_log.h"

#include "core/hex_text.h"

namespace wendax {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool shownAsIs(std::uint8_t b)
{
    return (b >= 0x20 && b <= 0x7E) || b == 0x0A || b == 0x0D;
}

/// Appends `text` with every CR, LF or CR LF as one "\r\n", the way the log
/// pane breaks added text into lines; the text then ends with a line break
/// (a break already at its end is that final break).
void appendAsLines(std::string& out, std::string_view text)
{
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += kLineBreak;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
    if (out.size() - start < kLineBreak.size() || std::string_view(out).substr(out.size() - 2) != kLineBreak)
        out += kLineBreak;
}

} // namespace

void appendEscaped(std::string& out, std::span<const std::uint8_t> bytes)
{
    for (const std::uint8_t b : bytes) {
        if (shownAsIs(b)) {
            out += static_cast<char>(b);
        } else {
            out += "\\0x";
            out += HexChar(b >> 4);
            out += HexChar(b & 0x0F);
        }
    }
}

std::string escapeForLog(std::span<const std::uint8_t> bytes)
{
    std::string out;
    out.reserve(bytes.size() * 5);
    appendEscaped(out, bytes);
    return out;
}

void applyLogChange(std::string& mirror, const LogChange& change)
{
    if (change.cleared) {
        mirror.clear();
        return;
    }
    mirror.erase(0, change.removedFront);
    mirror.resize(mirror.size() - change.removedBack);
    mirror += change.appended;
}

void TerminalLog::addLine(std::string_view line)
{
    if (m_chunkDepth > 0) {
        m_heldLines.emplace_back(line);
        return;
    }
    LogChange change;
    appendLine(line, change);
    apply(change);
}

void TerminalLog::beginChunk()
{
    ++m_chunkDepth;
}

void TerminalLog::endChunk(std::string_view escaped, bool show)
{
    if (m_chunkDepth > 0 && --m_chunkDepth > 0)
        return;
    LogChange change;
    if (show)
        replaceWithWorkingCopy(escaped, change);
    for (const auto& line : m_heldLines)
        appendLine(line, change);
    m_heldLines.clear();
    if (!change.appended.empty())
        apply(change);
}

void TerminalLog::showReceived(std::string_view escaped)
{
    LogChange change;
    replaceWithWorkingCopy(escaped, change);
    apply(change);
}

void TerminalLog::clear()
{
    LogChange change;
    change.cleared = true;
    apply(change);
}

// The working copy is the text without its final line break, cut to its
// last kKeep characters once the text has reached kCutAt. Only the changed
// ends are reported, so a view never re-renders the kept characters.
void TerminalLog::replaceWithWorkingCopy(std::string_view escaped, LogChange& change)
{
    if (!m_text.empty()) {
        change.removedBack = kLineBreak.size();
        const std::size_t workingLength = m_text.size() - change.removedBack;
        if (m_text.size() >= kCutAt && workingLength > kKeep)
            change.removedFront = workingLength - kKeep;
    }
    appendAsLines(change.appended, escaped);
}

void TerminalLog::appendLine(std::string_view line, LogChange& change)
{
    appendAsLines(change.appended, line);
}

void TerminalLog::apply(const LogChange& change)
{
    applyLogChange(m_text, change);
    if (m_listener)
        m_listener(change);
}

} // namespace wendax
