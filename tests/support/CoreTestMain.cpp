#include <QCoreApplication>

#include <gtest/gtest.h>

// Core tests get a Qt application object (serial ports, standard paths) but never a GUI.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
