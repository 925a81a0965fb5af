// main() for tests that need a QApplication (widgets, painting, printing); runs offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName("TavrinRemote");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
