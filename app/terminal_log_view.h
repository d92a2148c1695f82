#pragma once
#include "link/terminal_log.h"

#include <string>

class QPlainTextEdit;

namespace wendax::gui {

/// Shows the terminal log in a text pane by applying the log's changes, so a
/// continuous stream never makes the pane redraw the kept text. The pane
/// breaks lines where the log has "\r\n" and hides the log's final line
/// break, so the last line is not followed by an empty one. GUI thread only.
class TerminalLogView {
public:
    explicit TerminalLogView(QPlainTextEdit& pane) : m_pane(pane) {}

    void apply(const LogChange& change);
    /// The log text as the link holds it ("\r\n" line breaks).
    const std::string& text() const { return m_mirror; }

private:
    void removeFront(std::size_t count);
    void removeBack(std::size_t count);
    void append(const std::string& text);

    QPlainTextEdit& m_pane;
    /// The log text as last applied: the pane's positions are counted from it.
    std::string m_mirror;
    /// The mirror's final line break is not in the pane (it is once text
    /// follows it, or once the break before it becomes the final one).
    bool m_finalBreakHidden = false;
};

} // namespace wendax::gui
