// Writes tintwright-data(1) to standard output, for the packages.
#include "ManPage.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    // The README, whose examples become the page's EXAMPLES.
    QString readme;
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly))
            return 2;
        readme = QString::fromUtf8(file.read(std::int64_t(1) << 20));
    }
    const QByteArray page =
        tintwright::ManPage::text(QStringLiteral(TINTWRIGHT_VERSION), readme).toUtf8();
    return std::fwrite(page.constData(), 1, std::size_t(page.size()), stdout) ==
                       std::size_t(page.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 2;
}
