// The receive path: ring, log, response token, drain routing, HID reports.
#include "link_test_support.h"

#include "core/config_file.h"
#include "link/config_transfer.h"
#include "link/frame_link.h"
#include "link/messages.h"
#include "link/rx_ring.h"
#include "link/wire_format.h"

#include <gtest/gtest.h>

#include <numeric>

namespace wendax::test {
namespace {

TEST(RxRing, HoldsAtMost16383UnreadBytes)
{
    RxRing ring;
    for (std::size_t i = 0; i < RxRing::kCapacity; ++i)
        ASSERT_TRUE(ring.push(static_cast<std::uint8_t>(i)));
    EXPECT_FALSE(ring.push(0xEE)) << "a full ring refuses the byte instead of overwriting the oldest";
    EXPECT_EQ(ring.unread(), 16383u);
    EXPECT_EQ(ring.freeSpace(), 0u);
    EXPECT_EQ(ring.pop(), 0);
    EXPECT_TRUE(ring.push(0xEE));
}

TEST(RxRing, KeepsOrderAcrossTheWrapAndResetDropsUnreadBytes)
{
    RxRing ring;
    std::vector<std::uint8_t> out;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 10000; ++i)
            ASSERT_TRUE(ring.push(static_cast<std::uint8_t>(i % 253)));
        while (ring.notEmpty())
            out.push_back(ring.pop());
    }
    ASSERT_EQ(out.size(), 30000u);
    for (std::size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], (i % 10000) % 253) << "at " << i;

    ring.push(1);
    ring.push(2);
    ring.reset();
    EXPECT_FALSE(ring.notEmpty());
    ring.push(3);
    EXPECT_EQ(ring.pop(), 3);
}

struct EscapeCase {
    const char* name;
    std::vector<std::uint8_t> received;
    std::string shown;
};

TEST(LogEscaping, PrintableCrAndLfAsTheyAreOthersAsHex)
{
    const EscapeCase cases[] = {
        {"printable_range_kept", {0x20, 'A', 0x7E}, " A~"},
        {"cr_lf_kept", {0x0D, 0x0A}, "\r\n"},
        {"control_bytes_escaped", {0x00, 0x06, 0x09, 0x1F}, "\\0x00\\0x06\\0x09\\0x1F"},
        {"del_and_high_bytes_escaped", {0x7F, 0x80, 0xAB, 0xFF}, "\\0x7F\\0x80\\0xAB\\0xFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(escapeForLog(c.received), c.shown) << c.name;
}

class ReceivePath : public ::testing::Test {
protected:
    QtClock clock{10};
    RecordingServices services{&clock};
    FakeTransport transport;
    FrameLink link{services, transport, clock};

    void receive(std::string_view text) { link.comPort1RxChar(bytes(text)); }
    const std::string& log() const { return link.terminalLog().text(); }

    void TearDown() override
    {
        EXPECT_EQ(services.logMirror, log()) << "a view applying every change shows the log's text";
    }
};

TEST_F(ReceivePath, ShowsTheLineOkThenTheEscapedBytes)
{
    link.comPort1RxChar(std::vector<std::uint8_t>{'O', 'K', 0x0D, 0x0A, 0x00, 0xFF});
    EXPECT_EQ(log(), "OK\r\n\\0x00\\0xFF\r\n");
    receive("more");
    EXPECT_EQ(log(), "OK\r\n\\0x00\\0xFFmore\r\n") << "a chunk continues the last line";
}

/// Fills the log to exactly `size` characters with lines.
void fillLog(FrameLink& link, std::size_t size)
{
    std::size_t filled = 0;
    for (int i = 0; filled + 200 <= size; ++i) {
        std::string line = std::to_string(i) + ":";
        line.resize(98, static_cast<char>('a' + i % 26));
        link.addLogLine(line);
        filled += 100;
    }
    link.addLogLine(std::string(size - filled - 2, 'z'));
}

TEST_F(ReceivePath, CutsTheLogToItsLast20000CharactersOnceItHasReached30000)
{
    struct Case {
        std::size_t size;
        bool cut;
    };
    for (const Case c : {Case{29999, false}, Case{30000, true}, Case{31234, true}}) {
        link.clearLog();
        fillLog(link, c.size);
        ASSERT_EQ(log().size(), c.size);
        const std::string working = log().substr(0, log().size() - 2);
        receive("NEW");
        const std::string kept = c.cut ? working.substr(working.size() - 20000) : working;
        EXPECT_EQ(log(), kept + "NEW\r\n") << c.size;
    }
}

std::vector<std::uint8_t> validPlainImage(Model model)
{
    std::vector<std::uint8_t> image(wireFormat(model).imageSize());
    std::iota(image.begin(), image.end(), std::uint8_t{7});
    if (model != Model::MT6)
        storeInImageCrc(image);
    return image;
}

/// What a device sends after "CFGDATASEND" for `image`.
std::vector<std::uint8_t> readBlock(Model model, const std::vector<std::uint8_t>& image)
{
    std::vector<std::uint8_t> block;
    for (std::size_t k = 0; k < wireFormat(model).parts; ++k) {
        const auto part = std::span(image).subspan(k * 4096, 4096);
        auto onWire = encipheredPartWithCrc(model, part);
        if (model == Model::MT6) { // MT6 guards the plain part
            onWire.resize(4096);
            appendCrc16(onWire, part);
        }
        block.insert(block.end(), onWire.begin(), onWire.end());
    }
    return block;
}

TEST_F(ReceivePath, ChunksOfAnImageStayOutOfTheLogButTheChunkAfterItShows)
{
    RawImageCodec codec(Model::N5, 4096);
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);
    const auto block = readBlock(Model::N5, validPlainImage(Model::N5));

    auto first = bytes("\r\nCFGDATASEND");
    first.insert(first.end(), block.begin(), block.begin() + 1000);
    link.comPort1RxChar(first);
    EXPECT_EQ(log(), "Receiving N5 configuration data...\r\n");
    link.comPort1RxChar(std::span(block).subspan(1000, 3000));
    EXPECT_EQ(log(), "Receiving N5 configuration data...\r\n");
    link.comPort1RxChar(std::span(block).subspan(4000));
    EXPECT_EQ(services.messageTexts(), std::vector<std::string>{"Configuration was received"});
    receive("after");
    EXPECT_EQ(log().find("CFGDATASEND"), std::string::npos);
    EXPECT_EQ(log().substr(log().size() - 7), "after\r\n");
}

TEST_F(ReceivePath, LinesAddedWhileAChunkIsHandledFollowItsText)
{
    RawImageCodec codec(Model::RX8, 8192);
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);
    receive("ab\r\nWRITEERROR\r\n");
    EXPECT_EQ(log(), "ab\r\nWRITEERROR\r\nWrite ERROR...\r\n");
    EXPECT_EQ(services.messageTexts(), std::vector<std::string>{"Write ERROR"});
}

TEST_F(ReceivePath, WithNoWindowOpenWordsChangeNothing)
{
    receive("\r\nBOOT\r\nCfgOK\r\nVerID:2.0\r\nCFGDATASEND\r\nWRITEERROR\r\n");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(link.reception().receiving);
    EXPECT_EQ(services.panels[3], "");
    EXPECT_EQ(log(), "\r\nBOOT\r\nCfgOK\r\nVerID:2.0\r\nCFGDATASEND\r\nWRITEERROR\r\n");
}

TEST_F(ReceivePath, PL3KeepsTheLogRefreshingAfterCfgDataSend)
{
    RawImageCodec codec(Model::PL3, 0);
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);
    receive("\r\nCFGDATASEND");
    receive("hello");
    EXPECT_FALSE(link.reception().receiving);
    EXPECT_NE(log().find("hello"), std::string::npos);
}

std::vector<std::string> comparedTexts(std::string_view input, std::size_t limit)
{
    ResponseToken token;
    std::vector<std::string> compared;
    for (const char c : input) {
        const auto b = static_cast<std::uint8_t>(c);
        if (const auto text = token.append(b, limit))
            compared.emplace_back(*text);
        token.settle(b, limit);
    }
    return compared;
}

TEST(ResponseToken, ComparesWholeTokensFromTheirFirstCharacter)
{
    using Texts = std::vector<std::string>;
    EXPECT_EQ(comparedTexts("xACK", 19), (Texts{"xA", "xAC", "xACK"})) << "x,A,C,K never forms ACK";
    EXPECT_EQ(comparedTexts("ACKx", 19), (Texts{"AC", "ACK", "ACKx"})) << "ACK is complete when its K arrives";
    EXPECT_EQ(comparedTexts("A K", 19), (Texts{"A "})) << "a separator ends the token after joining it";
}

TEST(ResponseToken, ClosesAtTheLimitOf19InAWindowAnd100InTheFrame)
{
    for (const std::size_t limit : {ResponseToken::kWindowLimit, ResponseToken::kFrameLimit}) {
        ResponseToken token;
        std::vector<std::size_t> lengths;
        for (std::size_t i = 0; i < limit + 6; ++i) {
            token.step('A', limit);
            lengths.push_back(token.length());
        }
        EXPECT_EQ(lengths[limit - 2], limit - 1);
        EXPECT_EQ(lengths[limit - 1], 0u) << "closed after character " << limit;
        EXPECT_EQ(lengths[limit], 1u) << "the next character opens a new token";
    }
}

struct WordCase {
    const char* name;
    std::string received;
    bool recognised;
};

TEST_F(ReceivePath, AWindowActsOnAWordWhenItsLastCharacterArrives)
{
    const WordCase cases[] = {
        {"word_then_more_token_characters", "\r\nCfgOKx", true},
        {"word_inside_a_longer_token", "\r\nxCfgOK", false},
        {"word_after_a_token_closed_by_the_limit", "\r\n" + std::string(19, 'a') + "CfgOK", true},
        {"word_cut_by_the_limit", "\r\n" + std::string(18, 'a') + "CfgOK", false},
        {"word_split_over_two_chunks", "\r\nCf|gOK", true},
    };
    for (const auto& c : cases) {
        RecordingServices fresh{&clock};
        FakeTransport port;
        FrameLink frame(fresh, port, clock);
        RawImageCodec codec(Model::N5, 4096);
        ConfigTransfer window(frame, codec);
        frame.setActiveWindow(&window);
        const auto split = c.received.find('|');
        if (split == std::string::npos) {
            frame.comPort1RxChar(bytes(c.received));
        } else {
            frame.comPort1RxChar(bytes(c.received.substr(0, split)));
            frame.comPort1RxChar(bytes(c.received.substr(split + 1)));
        }
        EXPECT_EQ(fresh.shown(msg::kConfigurationWasSent), c.recognised) << c.name;
    }
}

TEST_F(ReceivePath, HidReportsOutside0To63AreRejectedAndEnterNothing)
{
    const std::vector<std::uint8_t> payload(64, 'h');
    for (const std::int8_t count : {std::int8_t{64}, std::int8_t{-1}, std::int8_t{127}}) {
        link.clearLog();
        link.hidDataReceived(payload, count);
        EXPECT_EQ(log(), "Wrong USB packet\r\n") << int{count};
        EXPECT_FALSE(link.rxRing().notEmpty()) << int{count};
    }
    link.clearLog();
    link.hidDataReceived(payload, 0);
    EXPECT_EQ(log(), "");
    EXPECT_FALSE(link.rxRing().notEmpty());
    link.hidDataReceived(std::vector<std::uint8_t>(3, 'h'), 10);
    EXPECT_EQ(log(), "Wrong USB packet\r\n") << "a count beyond the report's bytes";
}

TEST_F(ReceivePath, HidBytesWaitInTheRingAndShowEvenDuringImageReception)
{
    link.reception().receiving = true;
    link.hidDataReceived(std::vector<std::uint8_t>{'O', 'K', 0x00}, 3);
    EXPECT_EQ(log(), "OK\\0x00\r\n");
    EXPECT_EQ(link.rxRing().unread(), 3u) << "only a worker's drain takes HID bytes";
}

TEST_F(ReceivePath, AHidReportTheRingCannotTakeIsDroppedWholeWithALogLine)
{
    const std::vector<std::uint8_t> report(63, 0x41);
    for (int i = 0; i < 260; ++i)
        link.hidDataReceived(report, 63);
    ASSERT_EQ(link.rxRing().unread(), 16380u);
    link.clearLog();
    link.hidDataReceived(report, 63);
    EXPECT_EQ(link.rxRing().unread(), 16380u);
    EXPECT_EQ(log(), msg::rxRingOverrun(63) + "\r\n");
}

TEST_F(ReceivePath, AChunkLongerThanTheRingLosesNoByte)
{
    RawImageCodec codec(Model::MT6, 12288);
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);
    const auto image = validPlainImage(Model::MT6);
    const auto block = readBlock(Model::MT6, image);
    auto chunk = bytes(std::string(6000, ' ') + "\r\nVerID:3.1\r\nCFGDATASEND");
    chunk.insert(chunk.end(), block.begin(), block.end());
    ASSERT_GT(chunk.size(), RxRing::kCapacity);
    link.comPort1RxChar(chunk);
    EXPECT_EQ(services.messageTexts(), std::vector<std::string>{"Configuration was received"});
    EXPECT_EQ(codec.decodes(), 1);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), codec.image().begin()));
    EXPECT_EQ(services.panels[3], "3.1");
}

TEST_F(ReceivePath, WithAFirmwareFileArmedBytesTheRingCannotTakeWaitInThePort)
{
    link.setFirmwareArmed(true);
    std::vector<std::uint8_t> sent(20000);
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<std::uint8_t>(i % 251);
    transport.deliver(sent);
    EXPECT_EQ(link.rxRing().unread(), RxRing::kCapacity);
    EXPECT_EQ(transport.bytesAvailable(), 20000 - RxRing::kCapacity);

    link.drainRxRing(); // as the firmware worker does
    ASSERT_TRUE(waitUntil([&] { return link.rxRing().unread() == 20000 - RxRing::kCapacity; }));
    for (std::size_t i = RxRing::kCapacity; i < sent.size(); ++i)
        ASSERT_EQ(link.rxRing().pop(), sent[i]) << i;
    EXPECT_EQ(log().find("lost"), std::string::npos);
}

TEST_F(ReceivePath, ThePortClosingTimerWaitsWhileAReceiveEventIsHandled)
{
    clock.setRecording(true);
    link.setComPort("COM3");
    ASSERT_TRUE(link.setComEnable(true));
    RawImageCodec codec(Model::N5, 4096);
    ConfigTransfer window(link, codec);
    link.setActiveWindow(&window);
    auto timerTicks = [&] {
        const auto records = clock.records();
        return std::count_if(records.begin(), records.end(), [](const ClockRecord& r) {
            return r.kind == ClockRecord::Kind::TimerFired && r.name == "port-closing timer";
        });
    };
    bool openDuringMessage = false;
    services.whileShowing = [&](const UserMessage&) { // a modal box runs the event loop
        EXPECT_TRUE(waitUntil([&] { return timerTicks() >= 2; }));
        openDuringMessage = link.portOpen();
    };
    link.startPortClosingTimer();
    transport.deliver("\r\nCfgOK\r\n");
    EXPECT_TRUE(openDuringMessage);
    EXPECT_TRUE(waitUntil([&] { return !link.portOpen(); }));
    EXPECT_EQ(link.terminalLog().text().substr(log().size() - 16), "COM3 is closed\r\n");
}

} // namespace
} // namespace wendax::test
