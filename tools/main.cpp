// tintwright-data: lays out Tintwright's generated data, or applies your own NES palette.
#include "DataGenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QString error;
    bool ok = false;
    if (args.size() == 3 && args[1] == QLatin1String("build")) {
        ok = tintwright::DataGenerator::build(args[2], &error);
    } else if (args.size() == 4 && args[1] == QLatin1String("palette")) {
        ok = tintwright::DataGenerator::applyPal(args[2], args[3], &error);
        if (ok)
            std::printf("Rewrote the colour tiles and the palette chart in %s/Data/Palette.\n",
                        qPrintable(args[3]));
    } else {
        std::fprintf(stderr, "usage:\n"
                             "  tintwright-data build PROGRAM_FOLDER\n"
                             "  tintwright-data palette FILE.pal PROGRAM_FOLDER\n");
        return 2;
    }
    if (!ok) {
        std::fprintf(stderr, "tintwright-data: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
