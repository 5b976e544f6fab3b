#include "Cases.h"

// The examples of the README and the manual, run as written. Every line that begins with "$"
// (after the document's indentation) is an example: "$ COMMAND" is run with bash and
// pipefail in a copy of the program folder, stdin empty; "$ COMMAND  # not run: WHY" is
// counted and not run; any other "$" line fails (but a number, "$0D"), so a slip in the
// format never hides an example. The lines after a command (as indented as it, up to another
// command, the end of a code block or, outside one, an empty line) are all it prints, byte for
// byte: those that begin with "! " on standard error, the others on standard output; "[N]" last
// says that the whole pipeline ends with status N (0 when not shown). "[... N lines: WHICH]" stands
// for N lines of that stream left out, said in words, so a long output is still checked whole. The
// examples of a document run in order, in one copy, so that one may use what another made.
class tst_Transcripts : public QObject {
    Q_OBJECT

private slots:
    void examples_data() { addCases("documents", "examples"); }
    void examples();
};

namespace {

const QRegularExpression kStatus("^\\[(\\d+)\\]$");
const QRegularExpression kLeftOut("^\\[\\.\\.\\. (\\d+) lines?: \\S.*\\]$");
const QRegularExpression kNotRun("#\\s*not run: \\S");
// A number in the text, not an example: "$0D (blacker than black)", "$802C,Name".
const QRegularExpression kColour("^\\$[0-9A-F]+\\b");

bool isExample(const QString &trimmed) {
    return trimmed.startsWith('$') && !kColour.match(trimmed).hasMatch();
}

struct Example {
    int line = 0; // where its command is, from 1
    QString command;
    QStringList out, err; // as the document shows them, "[... N lines: ...]" included
    int status = 0;
};

// The document's examples; a "$" line that is neither form fails the test.
QList<Example> examplesOf(const QStringList &lines, int &notRun) {
    QList<Example> examples;
    bool inBlock = false;
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith("```"))
            inBlock = !inBlock;
        const QString trimmed = lines[i].trimmed();
        if (lines[i].startsWith("```sh") || lines[i].startsWith("```bash")) {
            QTest::qFail(qPrintable(QStringLiteral("line %1: commands the test does not see; "
                                                   "write them as \"$ COMMAND\" in a console "
                                                   "block")
                                        .arg(i + 1)),
                         __FILE__, __LINE__);
            return {};
        }
        const QString indent = lines[i].left(lines[i].indexOf('$'));
        if (!isExample(trimmed))
            continue;
        if (!trimmed.startsWith("$ ") || trimmed.size() < 3) {
            QTest::qFail(qPrintable(QStringLiteral("line %1: \"%2\" is no example; write "
                                                   "\"$ COMMAND\"")
                                        .arg(i + 1)
                                        .arg(trimmed)),
                         __FILE__, __LINE__);
            return {};
        }
        if (kNotRun.match(trimmed).hasMatch()) {
            ++notRun;
            continue;
        }
        Example example{i + 1, trimmed.mid(2), {}, {}, 0};
        while (i + 1 < lines.size() && lines[i + 1].startsWith(indent) &&
               (inBlock || !lines[i + 1].trimmed().isEmpty()) &&
               !isExample(lines[i + 1].trimmed()) && !lines[i + 1].startsWith("```")) {
            const QString shown = lines[++i].mid(indent.size());
            if (const auto status = kStatus.match(shown); status.hasMatch())
                example.status = status.captured(1).toInt();
            else if (shown.startsWith("! "))
                example.err << shown.mid(2);
            else
                example.out << shown;
        }
        examples << example;
    }
    return examples;
}

// Where a stream differs from what the document shows, or "" when it is all as shown.
QString difference(const QStringList &shown, const QString &printed) {
    if (!printed.isEmpty() && !printed.endsWith('\n'))
        return QStringLiteral("its last line has no line end");
    QStringList lines = printed.split('\n');
    lines.removeLast();
    qsizetype at = 0;
    for (const QString &line : shown) {
        if (const auto leftOut = kLeftOut.match(line); leftOut.hasMatch()) {
            at += leftOut.captured(1).toInt();
            continue;
        }
        if (at >= lines.size() || lines[at] != line)
            return QStringLiteral("line %1 is \"%2\", the text says \"%3\"")
                .arg(at + 1)
                .arg(at < lines.size() ? lines[at] : QStringLiteral("(none)"), line);
        ++at;
    }
    return at == lines.size()
               ? QString()
               : QStringLiteral("it prints %1 lines, the text %2").arg(lines.size()).arg(at);
}

} // namespace

void tst_Transcripts::examples() {
    QFETCH(QJsonObject, row);
    const QString document = QStringLiteral(TINTWRIGHT_SOURCE_DIR "/") + row["name"].toString();
    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    int notRun = 0;
    const QList<Example> examples =
        examplesOf(QString::fromUtf8(file.readAll()).remove('\r').split('\n'), notRun);
    QTemporaryDir folder;
    const QString app = QStringLiteral(TINTWRIGHT_APP_DIR);
    for (QDirIterator it(app, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString source = it.next(), target = folder.path() + source.mid(app.size());
        QDir().mkpath(QFileInfo(target).path());
        QVERIFY(QFile::copy(source, target));
    }
    for (const Example &example : examples) {
        QProcess shell;
        shell.setWorkingDirectory(folder.path());
        shell.setStandardInputFile(QProcess::nullDevice());
        shell.start("bash", {"-o", "pipefail", "-c", example.command});
        QVERIFY(shell.waitForFinished(60000));
        const QString out = QString::fromUtf8(shell.readAllStandardOutput()),
                      err = QString::fromUtf8(shell.readAllStandardError());
        const QString where = QStringLiteral("%1, line %2: $ %3")
                                  .arg(document)
                                  .arg(example.line)
                                  .arg(example.command);
        const QString outDiffers = difference(example.out, out),
                      errDiffers = difference(example.err, err);
        QVERIFY2(outDiffers.isEmpty(),
                 qPrintable(where + "\non standard output " + outDiffers + ":\n" + out));
        QVERIFY2(errDiffers.isEmpty(),
                 qPrintable(where + "\non standard error " + errDiffers + ":\n" + err));
        QVERIFY2(shell.exitCode() == example.status,
                 qPrintable(where + QStringLiteral("\nends with %1").arg(shell.exitCode())));
    }
    QVERIFY2(examples.size() > 5, qPrintable(document + ": hardly any examples found"));
    qInfo("%s: %lld examples run, %d not run", qPrintable(row["name"].toString()),
          qsizetype(examples.size()), notRun);
}

QTEST_GUILESS_MAIN(tst_Transcripts)
#include "tst_Transcripts.moc"
