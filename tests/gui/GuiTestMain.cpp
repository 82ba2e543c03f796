#include "gui/app/TApplication.h"

#include "ThrowingThroughQt.h"

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TApplication app(argc, argv);
    // Every slot is guarded: an error that reaches the event loop is a fault, unless a test
    // throws through it on purpose.
    app.SetEscapeWatcher([](const std::exception& error) {
        if (!ThrowingThroughQt::Active()) {
            ADD_FAILURE() << "an error escaped a slot or an event handler unguarded: " << error.what();
        }
    });
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
