#include "Cases.h"

// The examples of the README and the manual, run as written. Every line that begins with "$"
// (after the document's indentation) is an example: "$ COMMAND" is run with bash and
// pipefail in a copy of the program folder, stdin empty; "$ COMMAND  # not run: WHY" is
// counted and not run; any other "$" line fails (but a number, "$0D"), so a slip in the
// format never hides an example. The lines after a command (as indented as it, up to an empty line,
// another command or the end of a code block) are all it prints, byte for byte: those that begin
// with
// "! " on standard error, the others on standard output; "[N]" last says that the whole
// pipeline ends with status N (0 when not shown). The examples of a document run in order,
// in one copy, so that one may use what another made.
class tst_Transcripts : public QObject {
    Q_OBJECT

private slots:
    void examples_data() { addCases("documents", "examples"); }
    void examples();
};

namespace {

const QRegularExpression kStatus("^\\[(\\d+)\\]$");
const QRegularExpression kNotRun("#\\s*not run: \\S");
// A number in the text, not an example: "$0D (blacker than black)", "$802C,Name".
const QRegularExpression kColour("^\\$[0-9A-F]+\\b");

bool isExample(const QString &trimmed) {
    return trimmed.startsWith('$') && !kColour.match(trimmed).hasMatch();
}

struct Example {
    int line = 0; // where its command is, from 1
    QString command;
    QString out, err; // as the document shows them
    int status = 0;
};

// The document's examples; a "$" line that is neither form fails the test.
QList<Example> examplesOf(const QStringList &lines, int &notRun) {
    QList<Example> examples;
    for (int i = 0; i < lines.size(); ++i) {
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
               !lines[i + 1].trimmed().isEmpty() && !isExample(lines[i + 1].trimmed()) &&
               !lines[i + 1].startsWith("```")) {
            const QString shown = lines[++i].mid(indent.size());
            if (const auto status = kStatus.match(shown); status.hasMatch())
                example.status = status.captured(1).toInt();
            else if (shown.startsWith("! "))
                example.err += shown.mid(2) + '\n';
            else
                example.out += shown + '\n';
        }
        examples << example;
    }
    return examples;
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
        QVERIFY2(out == example.out,
                 qPrintable(where + "\nprints:\n" + out + "\nthe text says:\n" + example.out));
        QVERIFY2(err == example.err, qPrintable(where + "\nprints on standard error:\n" + err +
                                                "\nthe text says:\n" + example.err));
        QVERIFY2(shell.exitCode() == example.status,
                 qPrintable(where + QStringLiteral("\nends with %1").arg(shell.exitCode())));
    }
    QVERIFY2(examples.size() > 5, qPrintable(document + ": hardly any examples found"));
    qInfo("%s: %lld examples run, %d not run", qPrintable(row["name"].toString()),
          qsizetype(examples.size()), notRun);
}

QTEST_GUILESS_MAIN(tst_Transcripts)
#include "tst_Transcripts.moc"
