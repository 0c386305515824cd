#pragma once
// A QApplication on the offscreen platform, made once per fuzzing process.
#include <QApplication>

inline QApplication& fuzzApp() {
    static int argc = 1;
    static char name[] = "velumix-fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}
