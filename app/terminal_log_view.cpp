#include "terminal_log_view.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include <algorithm>

namespace wendax::gui {
namespace {

// Every "\n" of the log belongs to a "\r\n" (or is left of one when the log
// cut its front between the two): "\r" is the pane's line break, "\n" has
// no position in the pane.
int panePositions(std::string_view logText)
{
    return static_cast<int>(logText.size() - static_cast<std::size_t>(std::count(logText.begin(), logText.end(), '\n')));
}

bool endsWithLineBreak(std::string_view text)
{
    return text.size() >= 2 && text.substr(text.size() - 2) == "\r\n";
}

} // namespace

void TerminalLogView::apply(const LogChange& change)
{
    if (change.cleared) {
        m_mirror.clear();
        m_finalBreakHidden = false;
        m_pane.clear();
        return;
    }
    removeFront(std::min(change.removedFront, m_mirror.size()));
    removeBack(std::min(change.removedBack, m_mirror.size()));
    append(change.appended);
}

void TerminalLogView::removeFront(std::size_t count)
{
    if (count == 0)
        return;
    QTextCursor cursor(m_pane.document());
    cursor.setPosition(panePositions(std::string_view(m_mirror).substr(0, count)), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_mirror.erase(0, count);
    if (m_mirror.empty())
        m_finalBreakHidden = false;
}

void TerminalLogView::removeBack(std::size_t count)
{
    if (count == 0)
        return;
    int positions = panePositions(std::string_view(m_mirror).substr(m_mirror.size() - count));
    if (m_finalBreakHidden)
        --positions;
    m_finalBreakHidden = false;
    if (positions > 0) {
        QTextCursor cursor(m_pane.document());
        cursor.movePosition(QTextCursor::End);
        cursor.setPosition(cursor.position() - positions, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    m_mirror.resize(m_mirror.size() - count);
}

void TerminalLogView::append(const std::string& text)
{
    if (text.empty())
        return;
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()) + 1);
    if (m_finalBreakHidden)
        shown += QLatin1Char('\n'); // the hidden break now separates two lines
    for (const char c : text) {
        if (c == '\r')
            shown += QLatin1Char('\n');
        else if (c != '\n')
            shown += QLatin1Char(c);
    }
    m_finalBreakHidden = endsWithLineBreak(text);
    if (m_finalBreakHidden)
        shown.chop(1);
    m_mirror += text;

    QScrollBar* bar = m_pane.verticalScrollBar();
    const bool followEnd = bar->value() == bar->maximum();
    QTextCursor cursor(m_pane.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    if (followEnd)
        bar->setValue(bar->maximum());
}

} // namespace wendax::gui
