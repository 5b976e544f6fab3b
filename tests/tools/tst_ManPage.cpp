#include "Command.h"
#include "ManPage.h"

#include <QTest>

using tintwright::ManPage;

// tintwright-data(1): what troff is given, and which README lines become its examples.
class tst_ManPage : public QObject {
    Q_OBJECT

private slots:
    void examples_data();
    void examples();
    void page();
};

void tst_ManPage::examples_data() {
    QTest::addColumn<QString>("readme");
    QTest::addColumn<QStringList>("expected");
    const QString section = "## tintwright-data: tables\n";
    QTest::newRow("console blocks of the section, the command named as installed")
        << section +
               "```console\n$ ./tintwright-data check A\nok\n```\ntext\n```console\n$ b\n```\n"
        << QStringList{"$ tintwright-data check A", "ok", "$ b"};
    QTest::newRow("other blocks and other sections are not examples")
        << "## Two commands\n```console\n$ bash run.sh\n```\n" + section +
               "```text\nnot run\n```\n## Tables for your own game\n```console\n$ later\n```\n"
        << QStringList{};
    QTest::newRow("a section that only starts alike is another")
        << "## tintwright\n```console\n$ ./tintwright --help\n```\n"
        << QStringList{};
}

void tst_ManPage::examples() {
    QFETCH(QString, readme);
    QFETCH(QStringList, expected);
    QCOMPARE(ManPage::examples(readme), expected);
}

// Lines troff would take for requests are escaped, as are backslashes and hyphens; every
// command and the exit statuses are there.
void tst_ManPage::page() {
    const QString page =
        ManPage::text("9.9", "## tintwright-data\n```console\n.dot\n'quote\na\\b-c\n```\n");
    QVERIFY(page.startsWith(".TH TINTWRIGHT\\-DATA 1 \"\" \"Tintwright 9.9\""));
    QVERIFY(page.contains("\n\\&.dot\n\\&'quote\na\\eb\\-c\n.fi\n"));
    for (const char *heading :
         {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "COMMANDS", "\"EXIT STATUS\"", "FILES",
          "ENVIRONMENT", "JSON", "EXAMPLES", "\"SEE ALSO\"", "\"REPORTING BUGS\""})
        QVERIFY2(page.contains(QStringLiteral("\n.SH %1\n").arg(heading)), heading);
    for (const tintwright::Command *command : tintwright::commands())
        QVERIFY2(page.contains(QStringLiteral("\n.SS \"%1 ").arg(command->name)), command->name);
    QVERIFY(page.contains("\n  0  done, and every answer is certain\n"));
    QVERIFY(!ManPage::text("9.9").contains(".SH EXAMPLES"));
}

QTEST_GUILESS_MAIN(tst_ManPage)
#include "tst_ManPage.moc"
