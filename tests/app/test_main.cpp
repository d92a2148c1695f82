#include <QApplication>

#include <gtest/gtest.h>

// Widget tests share one application on the offscreen platform.
int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("WendaxTests"));
    QApplication::setApplicationName(QStringLiteral("WendaxTests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
