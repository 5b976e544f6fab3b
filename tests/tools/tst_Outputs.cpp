#include "Cases.h"
#include "StopSignals.h"
#include "TestFolder.h"
#include "document/FileBatch.h"
#include "document/FileIo.h"

#include <csignal>

#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tintwright;

// How outputs meet other runs: a stream named as a file, a file that appears while one is
// written, a run stopped by a signal, two runs that change one ROM.
class tst_Outputs : public QObject {
    Q_OBJECT

private slots:
    void streams_data() { addCases("outputs", "streams"); }
    void streams();
    void owners_data() { addCases("outputs", "owners"); }
    void owners();
    void appearing();
    void stopped_data() { addCases("outputs", "stopped"); }
    void stopped();
    void twoImports();
    void batchTakesBack();
};

void tst_Outputs::streams() {
    QFETCH(QJsonObject, row);
    const std::string path = row["path"].toString().toStdString();
    QCOMPARE(FileIo::streamOf(path, false), row["input"].toInt());
    QCOMPARE(FileIo::streamOf(path, true), row["output"].toInt());
}

void tst_Outputs::owners() {
    QFETCH(QJsonObject, row);
    QCOMPARE(Temporaries::ownerOf(row["file"].toString().toStdString()), row["owner"].toInt());
}

// A file made at the name after the output was staged is kept, unless replacing is allowed.
void tst_Outputs::appearing() {
    for (const bool replace : {false, true}) {
        TestFolder dir;
        const std::filesystem::path path = dir.fsPath("out.csv");
        const std::uint8_t bytes[] = {'n', 'e', 'w'};
        FileIo::Staged staged;
        QVERIFY(FileIo::stage(path, bytes, {.inputs = {}, .replace = replace}, staged));
        dir.write("out.csv", "theirs");
        const Outcome done = FileIo::commit(staged);
        QCOMPARE(bool(done), replace);
        if (!replace)
            QCOMPARE(done.problem().kind(), Problem::Kind::Exists);
        QCOMPARE(dir.read("out.csv"), replace ? QByteArray("new") : QByteArray("theirs"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
}

// A run stopped while a temporary is written removes it, and ends by the signal.
void tst_Outputs::stopped() {
    QFETCH(QJsonObject, row);
    const int signal = row["signal"].toInt();
    QTemporaryDir dir;
    const pid_t child = ::fork();
    if (child == 0) {
        Temporaries temporaries;
        const StopSignals stopping(temporaries);
        std::string name;
        if (temporaries.make(dir.filePath("out.nes").toStdString(), name) < 0)
            ::_exit(1);
        ::kill(::getpid(), signal);
        for (;;)
            ::pause();
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), signal);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Two imports into one ROM take turns: while another holds the ROM both wait, then both
// changes are in it.
void tst_Outputs::twoImports() {
    TestFolder dir;
    dir.writeTables("16,A\r\n32,B\r\n", "");
    dir.write("rom.nes", QByteArray(64, '\x0f'));
    const QByteArray header = "list,row,name,address,byte0,byte1,byte2\r\n";
    dir.write("a.csv", header + "back,1,A,0x10,01,02,03\r\n");
    dir.write("b.csv", header + "back,2,B,0x20,04,05,06\r\n");
    const int held = ::open(qPrintable(dir.filePath("rom.nes")), O_RDONLY | O_CLOEXEC);
    QVERIFY(::flock(held, LOCK_EX) == 0);
    QProcess a, b;
    for (QProcess *run : {&a, &b}) {
        run->start(TINTWRIGHT_DATA_TOOL,
                   {"import", dir.filePath("rom.nes"), dir.filePath(run == &a ? "a.csv" : "b.csv"),
                    "--folder", dir.path()});
        QVERIFY(run->waitForStarted());
    }
    QVERIFY(!a.waitForFinished(300) && !b.waitForFinished(10));
    ::close(held);
    for (QProcess *run : {&a, &b}) {
        QVERIFY(run->waitForFinished(30000));
        QCOMPARE(run->exitCode(), 0);
        QVERIFY(run->readAllStandardError().contains("waiting for another run"));
    }
    QByteArray expected(64, '\x0f');
    QCOMPARE(dir.read("rom.nes"),
             expected.replace(16, 3, "\x01\x02\x03").replace(32, 3, "\x04\x05\x06"));
}

// Files that go together: when one cannot take its place (here a file that another of the
// batch put there first), those placed before it are taken back.
void tst_Outputs::batchTakesBack() {
    TestFolder dir;
    FileBatch batch;
    for (const char *name : {"one", "two", "two"})
        batch.add(dir.fsPath(name), {'x'});
    const Outcome done = batch.commit({.inputs = {}, .replace = false});
    QCOMPARE(done.problem().kind(), Problem::Kind::Exists);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(tst_Outputs)
#include "tst_Outputs.moc"
