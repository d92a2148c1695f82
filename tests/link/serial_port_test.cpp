// The serial port transport: "COM enable", the log lines, status panels, sends.
#include "link_rig.h"

#include "link/messages.h"

#include <QSerialPort>

#include <gtest/gtest.h>

namespace wendax::test {
namespace {

std::string lastLine(const std::string& log)
{
    const auto end = log.size() - 2;
    const auto begin = log.rfind("\r\n", end - 1);
    return log.substr(begin == std::string::npos ? 0 : begin + 2, end - (begin == std::string::npos ? 0 : begin + 2));
}

TEST(SerialPort, OpeningLogsIsOpenedAndShowsTheNameAndConnected)
{
    Rig rig(Model::N5);
    const std::string& port = rig.device->path();
    ASSERT_TRUE(rig.link.setComEnable(true));
    EXPECT_TRUE(rig.link.portOpen());
    EXPECT_EQ(lastLine(rig.link.terminalLog().text()), port + " is opened");
    EXPECT_EQ(rig.services.panels[1], port);
    EXPECT_EQ(rig.services.panels[2], "Connected");
    EXPECT_EQ(rig.services.comEnableStored, (std::vector<bool>{true, false, true}))
        << "\"COM enable\" is 0 while the port opens and 1 once it is open";
}

TEST(SerialPort, OpeningTheOpenPortLogsIsAllreadyOpenedAndKeepsItOpen)
{
    Rig rig(Model::N5);
    ASSERT_TRUE(rig.link.setComEnable(true));
    ASSERT_TRUE(rig.link.setComEnable(true));
    EXPECT_TRUE(rig.link.portOpen());
    EXPECT_EQ(lastLine(rig.link.terminalLog().text()), rig.device->path() + " is allready opened");
    EXPECT_TRUE(rig.services.comEnableStored.back());
}

TEST(SerialPort, ClosingLogsIsClosedEvenWhenThePortWasClosed)
{
    Rig rig(Model::N5);
    ASSERT_TRUE(rig.link.setComEnable(true));
    rig.link.setComEnable(false);
    EXPECT_FALSE(rig.link.portOpen());
    rig.link.setComEnable(false);
    const std::string closed = rig.device->path() + " is closed\r\n";
    EXPECT_EQ(rig.link.terminalLog().text().substr(rig.link.terminalLog().text().size() - 2 * closed.size()),
              closed + closed);
    EXPECT_EQ(rig.services.panels[2], "Disconnected");
    EXPECT_FALSE(rig.services.comEnableStored.back());
}

TEST(SerialPort, APortThatCannotBeOpenedShowsWhyAndLeavesComEnableAt0)
{
    Rig rig(Model::RX8);
    QSerialPort holder; // another program that has the port
    holder.setPortName(QString::fromStdString(rig.device->path()));
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));

    struct Case {
        const char* name;
        std::string port;
    };
    for (const Case& c : {Case{"missing", "/dev/wendax-no-such-port"}, Case{"busy", rig.device->path()}}) {
        rig.services.messages.clear();
        rig.link.setComPort(c.port);
        rig.link.readDevice();
        ASSERT_EQ(rig.services.messages.size(), 1u) << c.name;
        EXPECT_EQ(rig.services.messages[0].kind, UserMessage::Kind::Error) << c.name;
        EXPECT_EQ(rig.services.messages[0].text.rfind("Cannot open " + c.port + ": ", 0), 0u)
            << rig.services.messages[0].text;
        EXPECT_FALSE(rig.services.comEnableStored.back()) << c.name;
        EXPECT_FALSE(rig.link.comEnable()) << c.name;
        EXPECT_EQ(rig.services.panels[2], "Disconnected") << c.name;
        EXPECT_FALSE(rig.window->responseTimeoutActive()) << "Read Device goes no further";
    }
}

TEST(SerialPort, ChoosingAnotherPortClosesTheOldOneFirst)
{
    Rig first(Model::N5);
    Rig second(Model::N5);
    ASSERT_TRUE(first.link.setComEnable(true));
    first.link.setComPort(second.device->path());
    ASSERT_TRUE(first.link.setComEnable(true));
    EXPECT_EQ(first.transport.portName(), second.device->path());
    EXPECT_EQ(lastLine(first.link.terminalLog().text()), second.device->path() + " is opened");
    QSerialPort old;
    old.setPortName(QString::fromStdString(first.device->path()));
    EXPECT_TRUE(old.open(QIODevice::ReadWrite)) << "the old port was let go";
}

class FakePort : public ::testing::Test {
protected:
    QtClock clock;
    RecordingServices services{&clock};
    FakeTransport transport;
    FrameLink link{services, transport, clock};
};

TEST_F(FakePort, ABlockGoesOutIn16ByteWritesThenSingleBytesAdvancingTheProgressByEach)
{
    ASSERT_TRUE(link.setComEnable(true));
    services.showProgress(4144);
    const std::vector<std::uint8_t> block(35, 0x5A);
    ASSERT_TRUE(link.sendBlock(block));
    std::vector<std::size_t> sizes;
    for (const auto& w : transport.writes)
        sizes.push_back(w.size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{16, 16, 1, 1, 1}));
    EXPECT_EQ(services.progress, 35);
    ASSERT_TRUE(link.sendByte('k'));
    EXPECT_EQ(transport.writes.back(), std::vector<std::uint8_t>{'k'});
    EXPECT_EQ(services.progress, 35) << "a single-byte send is no part of a block";
}

TEST_F(FakePort, SendingOnAClosedPortShowsTheErrorAndSendsNothing)
{
    EXPECT_FALSE(link.sendBlock(bytes("\n\rReadDevice\n\r")));
    EXPECT_TRUE(transport.writes.empty());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].kind, UserMessage::Kind::Error);
    EXPECT_EQ(services.progress, 0);
}

} // namespace
} // namespace wendax::test
