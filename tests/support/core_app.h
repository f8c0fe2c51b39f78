#pragma once

// Tests that run Qt's event loop (the real clock, the serial port) need an application object;
// GoogleTest's main creates none. One for the whole test program, made on first use.

#include <QCoreApplication>

namespace veld::testing {

inline QCoreApplication& CoreApp() {
    static int argc = 1;
    static char name[] = "veld-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

}  // namespace veld::testing
