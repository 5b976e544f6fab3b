#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "reader/Reader.h"
#include "shell/Main.h"

#include <QApplication>
#include <QFontInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QtTest>

using namespace tintwright;

class tst_Reader : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeLeftOverWindows(); }
    void lines_data();
    void lines();
    void emptyFileKeepsText();
    void missingManual();
    void onlyCaptionManualLoads();
    void editShowsAtNextActivation();
    void fitsTheWindow_data();
    void fitsTheWindow();
    void fixedPitchFont();
};

static Reader *openReader(const TestFolder &folder,
                          const QString &caption = QStringLiteral("Manual")) {
    auto *reader = ownWindow<Reader>(std::filesystem::path(folder.path().toStdU16String()));
    reader->setWindowTitle(caption);
    return reader;
}

void tst_Reader::lines_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");
    const QString abc = QStringLiteral("a\r\nb\r\nc\r\n");
    QTest::newRow("CR LF, last line without break") << QByteArray("a\r\nb\r\nc") << abc;
    QTest::newRow("CR LF after every line") << QByteArray("a\r\nb\r\nc\r\n") << abc;
    QTest::newRow("lone LF") << QByteArray("a\nb\nc\n") << abc;
    QTest::newRow("lone CR") << QByteArray("a\rb\rc") << abc;
    QTest::newRow("blank lines kept")
        << QByteArray("a\n\n\nb") << QStringLiteral("a\r\n\r\n\r\nb\r\n");
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringLiteral("\r\n");
    QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 \xe2\x80\x94 ok")
                           << QString::fromUtf8("Café — ok\r\n");
    QTest::newRow("Windows-1252") << QByteArray("Caf\xe9 \x97 ok")
                                  << QString::fromUtf8("Café — ok\r\n");
}

void tst_Reader::lines() {
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);
    TestFolder folder;
    folder.write("Data/Manual.txt", file);
    Reader *reader = openReader(folder);
    reader->Form_Activate();
    QCOMPARE(reader->text(), shown);
    QString display = shown;
    QCOMPARE(reader->textBox()->toPlainText() + QLatin1Char('\n'),
             display.replace("\r\n", "\n") + QLatin1Char('\n'));
    QVERIFY(reader->textBox()->isReadOnly());
    reader->close();
}

void tst_Reader::emptyFileKeepsText() {
    TestFolder folder;
    folder.write("Data/Manual.txt", "");
    Reader *reader = openReader(folder);
    reader->Form_Activate();
    QVERIFY(reader->textBox()->toPlainText().isEmpty());
    folder.write("Data/Manual.txt", "Old");
    reader->Form_Activate();
    folder.write("Data/Manual.txt", "");
    reader->Form_Activate();
    QCOMPARE(reader->text(), QStringLiteral("Old\r\n"));
    reader->close();
}

void tst_Reader::missingManual() {
    TestFolder folder;
    Reader *reader = openReader(folder);
    reader->show();
    reader->Form_Activate();
    QVERIFY(reader->text().contains("could not be read"));
    QVERIFY(reader->text().contains("Manual.txt"));
    QVERIFY(reader->isVisible());
    reader->close();
}

void tst_Reader::onlyCaptionManualLoads() {
    TestFolder folder;
    folder.write("Data/Manual.txt", "Text");
    Reader *reader = openReader(folder, QStringLiteral("manual"));
    reader->Form_Activate();
    QVERIFY(reader->text().isEmpty());
    reader->close();
}

void tst_Reader::editShowsAtNextActivation() {
    TestFolder folder;
    folder.writeTables();
    folder.write("Data/Manual.txt", "First");
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    auto *window = shownWindow<Main>(state, prompter);
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->mnuDevs_Click();
    window->mnuDevs_Click();
    const auto windows = window->mdiArea()->subWindowList();
    QCOMPARE(windows.size(), 2);
    auto *first = qobject_cast<Reader *>(windows[0]->widget());
    auto *second = qobject_cast<Reader *>(windows[1]->widget());
    QCOMPARE(first->text(), QStringLiteral("First\r\n"));
    QCOMPARE(second->text(), QStringLiteral("First\r\n"));

    folder.write("Data/Manual.txt", "Second");
    window->mdiArea()->setActiveSubWindow(windows[0]);
    QCOMPARE(first->text(), QStringLiteral("Second\r\n"));
    QCOMPARE(second->text(), QStringLiteral("First\r\n")); // not active: not reloaded
    window->mdiArea()->setActiveSubWindow(windows[1]);
    QCOMPARE(second->text(), QStringLiteral("Second\r\n"));

    windows[0]->close();
    QTRY_COMPARE(window->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(second->text(), QStringLiteral("Second\r\n"));
    window->close();
}

void tst_Reader::fitsTheWindow_data() {
    QTest::addColumn<QSize>("size"); // pixels
    QTest::newRow("design size") << QSize(667, 482);
    QTest::newRow("narrower than 300 twips") << QSize(6, 20);
}

void tst_Reader::fitsTheWindow() {
    QFETCH(QSize, size);
    TestFolder folder;
    Reader *reader = openReader(folder);
    reader->show();
    reader->resize(size);
    // 300 and 750 twips are 20 and 50 pixels less than the outer size, frame included;
    // a window narrower than that gets the difference's absolute value.
    const QSize outer = reader->frameGeometry().size();
    QCOMPARE(reader->textBox()->geometry(),
             QRect(8, 8, qAbs(outer.width() - 20), qAbs(outer.height() - 50)));
    reader->close();
}

void tst_Reader::fixedPitchFont() {
    TestFolder folder;
    Reader *reader = openReader(folder);
    QVERIFY(QFontInfo(reader->textBox()->font()).fixedPitch());
    QCOMPARE(reader->textBox()->font().pointSizeF(), 9.75);
    reader->close();
}

QTEST_MAIN(tst_Reader)
#include "tst_Reader.moc"
