#include "Cases.h"

// The examples of the README and the manual, run as written: each line that begins with "$ " is
// a command, run with bash in a copy of the program folder, and the lines after it (as indented
// as it, up to an empty line, another command or the end of a code block) are all it prints;
// "[N]" last says that it ends with status N; CR LF is taken for LF. The examples of a document run
// in order, in one copy, so that one may use what another made.
class tst_Transcripts : public QObject {
    Q_OBJECT

private slots:
    void examples_data() { addCases("documents", "examples"); }
    void examples();
};

void tst_Transcripts::examples() {
    QFETCH(QJsonObject, row);
    const QString document = QStringLiteral(TINTWRIGHT_SOURCE_DIR "/") + row["name"].toString();
    QFile file(document);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).remove('\r').split('\n');
    QTemporaryDir folder;
    const QString app = QStringLiteral(TINTWRIGHT_APP_DIR);
    for (QDirIterator it(app, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString source = it.next(), target = folder.path() + source.mid(app.size());
        QDir().mkpath(QFileInfo(target).path());
        QVERIFY(QFile::copy(source, target));
    }
    int commands = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString indent = lines[i].left(lines[i].indexOf('$'));
        if (!lines[i].startsWith(indent + "$ ") || !indent.trimmed().isEmpty())
            continue;
        const int at = i + 1; // the line of the command, for the report
        const QString command = lines[i].mid(indent.size() + 2);
        QStringList expected;
        while (i + 1 < lines.size() && lines[i + 1].startsWith(indent) &&
               !lines[i + 1].trimmed().isEmpty() && !lines[i + 1].startsWith(indent + "$ ") &&
               !lines[i + 1].startsWith("```"))
            expected << lines[++i].mid(indent.size());
        int status = 0;
        if (!expected.isEmpty() &&
            QRegularExpression("^\\[\\d+\\]$").match(expected.last()).hasMatch())
            status = expected.takeLast().mid(1).chopped(1).toInt();
        QProcess shell;
        shell.setWorkingDirectory(folder.path());
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start("bash", {"-c", command});
        QVERIFY(shell.waitForFinished(60000));
        // CR LF, as the CSV files end their lines, reads as a line end.
        const QString printed = QString::fromUtf8(shell.readAll()).replace("\r\n", "\n");
        const QString wanted = expected.isEmpty() ? QString() : expected.join('\n') + '\n';
        const QString where =
            QStringLiteral("%1, line %2: $ %3").arg(document).arg(at).arg(command);
        QVERIFY2(printed == wanted,
                 qPrintable(where + "\nprints:\n" + printed + "\nthe text says:\n" + wanted));
        QVERIFY2(shell.exitCode() == status,
                 qPrintable(where + QStringLiteral("\nends with %1").arg(shell.exitCode())));
        ++commands;
    }
    QVERIFY2(commands > 5, qPrintable(document + ": hardly any examples found"));
}

QTEST_GUILESS_MAIN(tst_Transcripts)
#include "tst_Transcripts.moc"
