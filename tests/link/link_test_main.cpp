#include <QCoreApplication>

#include <gtest/gtest.h>

// The link needs an event loop: its timers, queued calls and serial port.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
