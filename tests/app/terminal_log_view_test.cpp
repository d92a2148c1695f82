// The log pane follows the terminal log by its changes alone.
#include "app/terminal_log_view.h"

#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace wendax;
using namespace wendax::gui;

namespace {

/// What the pane must show for the log's text: a line per "\r\n", no empty
/// line after the last one.
QString shownFor(std::string text)
{
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n")
        text.resize(text.size() - 2);
    QString shown;
    for (const char c : text) {
        if (c == '\r')
            shown += QLatin1Char('\n');
        else if (c != '\n')
            shown += QLatin1Char(c);
    }
    return shown;
}

struct Pane : ::testing::Test {
    QPlainTextEdit edit;
    TerminalLogView view{edit};
    int cuts = 0; ///< changes that dropped text at the front
    TerminalLog log{[this](const LogChange& change) {
        cuts += change.removedFront > 0 ? 1 : 0;
        view.apply(change);
    }};

    void receive(std::string_view bytes)
    {
        log.beginChunk();
        log.endChunk(escapeForLog(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())), true);
    }
};

TEST_F(Pane, LinesAndReceivedChunksShowAsTheLogHoldsThem)
{
    log.addLine("COM3 is opened");
    EXPECT_EQ(edit.toPlainText(), "COM3 is opened");
    receive("VerID:1.0\r\nCF");
    receive("G\x01");
    log.addLine("COM3 is closed");
    EXPECT_EQ(edit.toPlainText(), shownFor(log.text()));
    // Received text continues the last line: the log drops its final break first.
    EXPECT_EQ(edit.toPlainText().toStdString(), "COM3 is openedVerID:1.0\nCFG\\0x01\nCOM3 is closed");
}

// A long stream crosses the log's cut many times; the cut falls anywhere,
// inside a line break too.
TEST_F(Pane, AStreamThatOverflowsTheLogKeepsThePaneEqualToIt)
{
    std::string chunk;
    for (int i = 0; i < 1500; ++i) {
        chunk = "line " + std::to_string(i) + "\r\n" + std::string(static_cast<std::size_t>(i % 97), 'x');
        if (i % 5 == 0)
            chunk += "\r";
        receive(chunk);
        if (i % 37 == 0)
            log.addLine("note " + std::to_string(i));
        if (i % 3 == 0) {
            ASSERT_EQ(edit.toPlainText().toStdString(), shownFor(log.text()).toStdString()) << i;
        }
        ASSERT_EQ(view.text(), log.text()) << i;
    }
    EXPECT_GE(cuts, 3);
}

TEST_F(Pane, ClearEmptiesThePaneAndTheNextLineStandsAlone)
{
    receive("abc\r\n");
    log.clear();
    EXPECT_TRUE(edit.toPlainText().isEmpty());
    log.addLine("after");
    EXPECT_EQ(edit.toPlainText(), "after");
}

} // namespace
