// Writes tintwright-data(1) to standard output, for the packages.
#include "ManPage.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QByteArray page = tintwright::ManPage::text(QStringLiteral(TINTWRIGHT_VERSION)).toUtf8();
    return std::fwrite(page.constData(), 1, std::size_t(page.size()), stdout) ==
                       std::size_t(page.size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 2;
}
