// tintwright-data: builds Tintwright's pictures and demo ROM, applies an emulator's palette, and
// checks, exports, imports and compares the palettes of a ROM through the Data tables.
#include "DataTool.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tintwright-data"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TINTWRIGHT_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return tintwright::DataTool(out, err).run(QCoreApplication::arguments());
}
