#include "fake_hid.h"

#include "link/hid/bounded_writer.h"
#include "link/hid/hid_link.h"
#include "link/hid/hid_reports.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <future>

namespace wendax::hid {
namespace {

TEST(HidReports, BlocksAreSplitIntoCountedZeroFilledReports)
{
    Report block(100);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i + 1);
    const auto reports = splitIntoOutputReports(block, 65);
    ASSERT_EQ(reports.size(), 2U);
    EXPECT_EQ(reports[0][0], 0);
    EXPECT_EQ(reports[0][1], 63);
    EXPECT_EQ(reports[0][64], 63);
    EXPECT_EQ(reports[1][1], 37);
    EXPECT_EQ(reports[1][2], 64);
    EXPECT_EQ(reports[1][38], 100);
    EXPECT_EQ(reports[1][39], 0);
    EXPECT_EQ(reports[1].size(), 65U);

    EXPECT_EQ(splitIntoOutputReports(Report(63, 7), 65).size(), 1U);
    EXPECT_TRUE(splitIntoOutputReports({}, 65).empty());
    EXPECT_TRUE(splitIntoOutputReports(Report(3, 1), 2).empty());
}

TEST(HidReports, LengthByteIsSigned)
{
    EXPECT_EQ(inputReportLength(Report{0, 63}), 63);
    EXPECT_EQ(inputReportLength(Report{0, 0x80}), -128);
    EXPECT_EQ(inputReportLength(Report{0}), 0);
}

/// Retries `attempt` until it succeeds, for at most five seconds: a refused
/// write returns at once while the writer winds up its previous one.
template <typename Attempt>
bool retryUntil(Attempt attempt)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (attempt())
            return true;
        std::this_thread::yield();
    }
    return false;
}

TEST(BoundedWriter, GivesTheWritesOwnResultInTime)
{
    BoundedWriter writer;
    EXPECT_TRUE(writer.run([] { return true; }, std::chrono::seconds(5)));
    EXPECT_FALSE(writer.run([] { return false; }, std::chrono::seconds(5)));
}

TEST(BoundedWriter, AnOverrunningWriteIsNotWaitedForAndHoldsBackTheNext)
{
    BoundedWriter writer;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> finished;
    auto done = finished.get_future();
    EXPECT_FALSE(writer.run(
        [released, &finished] {
            released.wait();
            finished.set_value();
            return true;
        },
        std::chrono::milliseconds(20)));
    EXPECT_FALSE(writer.run([] { return true; }, std::chrono::seconds(5))) << "the first write still runs";
    release.set_value();
    ASSERT_EQ(done.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    // The writer takes new work once the overrunning write has wound up.
    EXPECT_TRUE(retryUntil([&] { return writer.run([] { return true; }, std::chrono::milliseconds(10)); }));
}

class HidLinkTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeBus> bus = std::make_shared<FakeBus>();
    HidLink link{std::make_unique<FakeBackend>(bus), std::chrono::hours(1)};
    QSignalSpy texts{&link, &HidLink::textReceived};
    QSignalSpy reports{&link, &HidLink::reportReceived};

    void plug(bool plugged)
    {
        std::lock_guard lock(bus->mutex);
        bus->plugged = plugged;
    }
};

TEST_F(HidLinkTest, StartsQuietlyWithoutTheDeviceAndDropsWrites)
{
    link.start();
    EXPECT_FALSE(link.isOpen());
    EXPECT_TRUE(link.writeText("CON"));
    link.checkPresence();
    EXPECT_EQ(texts.count(), 0);
    EXPECT_TRUE(bus->written.empty());
}

TEST_F(HidLinkTest, FollowsArrivalAndRemoval)
{
    link.start();
    plug(true);
    link.checkPresence();
    ASSERT_EQ(texts.count(), 1);
    EXPECT_EQ(texts.at(0).at(0).toString(), "USB Device found");
    EXPECT_TRUE(link.isOpen());
    link.checkPresence();
    EXPECT_EQ(texts.count(), 1) << "no second arrival while open";

    plug(false);
    link.checkPresence();
    ASSERT_EQ(texts.count(), 2);
    EXPECT_EQ(texts.at(1).at(0).toString(), "USB Device removed");
    EXPECT_FALSE(link.isOpen());
}

TEST_F(HidLinkTest, WritesTextAsOneCountedReport)
{
    plug(true);
    link.start();
    EXPECT_EQ(texts.count(), 0) << "a device present at start-up is opened silently";
    ASSERT_TRUE(link.writeText("CON"));
    ASSERT_EQ(bus->written.size(), 1U);
    EXPECT_EQ(bus->written[0][1], 3);
    EXPECT_EQ(std::string(bus->written[0].begin() + 2, bus->written[0].begin() + 5), "CON");
}

TEST_F(HidLinkTest, HandsInputReportsToTheGuiThread)
{
    plug(true);
    Report report(65, 0);
    report[1] = 4;
    std::copy_n("BOOT", 4, report.begin() + 2);
    {
        std::lock_guard lock(bus->mutex);
        bus->inbound.push_back(report);
    }
    link.start();
    ASSERT_TRUE(reports.wait(2000));
    EXPECT_EQ(reports.at(0).at(1).toInt(), 4);
    const QByteArray payload = reports.at(0).at(0).toByteArray();
    EXPECT_EQ(payload.size(), 63);
    EXPECT_EQ(payload.left(4), QByteArray("BOOT"));
}

TEST_F(HidLinkTest, AReadFailureClosesTheDevice)
{
    plug(true);
    link.start();
    {
        std::lock_guard lock(bus->mutex);
        bus->failReads = true;
    }
    ASSERT_TRUE(texts.wait(2000));
    EXPECT_EQ(texts.at(0).at(0).toString(), "USB Device removed");
    EXPECT_FALSE(link.isOpen());
}

TEST(HidLinkWrites, AStalledDeviceEndsTheBlockAfterTheReportLimit)
{
    auto bus = std::make_shared<FakeBus>();
    bus->plugged = true;
    HidLink link(std::make_unique<FakeBackend>(bus), std::chrono::hours(1), nullptr, std::chrono::milliseconds(30));
    link.start();
    {
        std::lock_guard lock(bus->mutex);
        bus->stallWrites = true;
    }
    EXPECT_FALSE(link.write(Report(100, 7))) << "the first report did not go out in time";
    EXPECT_FALSE(link.writeText("CON")) << "nothing overtakes the stalled report";
    {
        std::lock_guard lock(bus->mutex);
        bus->stallWrites = false;
        EXPECT_TRUE(bus->written.empty());
    }
    bus->released.notify_all();
    ASSERT_TRUE(retryUntil([&] { return link.writeText("CON"); }));
    std::lock_guard lock(bus->mutex);
    ASSERT_EQ(bus->written.size(), 2U) << "the stalled first report, then CON; the rest of the block was dropped";
    EXPECT_EQ(bus->written[0][1], 63);
    EXPECT_EQ(bus->written[1][1], 3);
}

} // namespace
} // namespace wendax::hid

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
