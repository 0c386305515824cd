// Build step: places an empty library at the given path unless one exists.
#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "library/Schema.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velumix_mklib PATH/songs.mdb\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(file)) return 0;  // a DJ's library is never replaced
    QString error;
    if (!CreateEmptyLibrary(file, &error)) {
        std::fprintf(stderr, "velumix_mklib: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
