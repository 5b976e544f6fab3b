#include "GuiTest.h"
#include "RecordingPrompter.h"
#include "TestFolder.h"
#include "reader/Reader.h"
#include "shell/Main.h"

#include <QFontInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

using namespace tintwright;

class tst_Reader : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { verifyNoWindowLeft(); }
    void readAtEachActivation();
    void fitsTheWindow();
};

void tst_Reader::readAtEachActivation() {
    TestFolder folder;
    folder.writeTables();
    ProgramState state = folder.state();
    RecordingPrompter prompter;
    OpenWindows windows;
    Main *window = windows.add(new Main(state, prompter));
    window->show();
    window->mnuDevs_Click(); // no manual yet: the text box says so
    auto *first = qobject_cast<Reader *>(window->mdiArea()->subWindowList()[0]->widget());
    QPlainTextEdit *box = first->textBox();
    QVERIFY(box->toPlainText().contains("could not be read") && box->isReadOnly());
    QVERIFY(box->toPlainText().contains(folder.filePath("Data/Manual.txt")));
    QVERIFY(QFontInfo(box->font()).fixedPitch() && box->font().pointSizeF() == 9.75);
    folder.write("Data/Manual.txt", "a\nb");
    window->mnuDevs_Click();
    auto *second = qobject_cast<Reader *>(window->mdiArea()->subWindowList()[1]->widget());
    QCOMPARE(second->text(), QStringLiteral("a\r\nb\r\n")); // every line ends with a break
    QCOMPARE(second->textBox()->toPlainText(), QStringLiteral("a\nb\n"));
    // Each activation reads the file again; an empty file keeps what is shown.
    window->mdiArea()->setActiveSubWindow(window->mdiArea()->subWindowList()[0]);
    QCOMPARE(first->text(), QStringLiteral("a\r\nb\r\n"));
    folder.write("Data/Manual.txt", "");
    window->mdiArea()->setActiveSubWindow(window->mdiArea()->subWindowList()[1]);
    QCOMPARE(second->textBox()->toPlainText(), QStringLiteral("a\nb\n"));
    // Only a window captioned exactly "Manual" loads it.
    folder.write("Data/Manual.txt", "new");
    second->setWindowTitle("manual");
    second->Form_Activate();
    QCOMPARE(second->text(), QStringLiteral("a\r\nb\r\n"));
    QVERIFY(prompter.texts.isEmpty());
    window->close();
}

void tst_Reader::fitsTheWindow() {
    TestFolder folder;
    OpenWindows windows;
    Reader *reader = windows.add(new Reader(folder.fsPath()));
    QCOMPARE(reader->textBox()->geometry(), QRect(8, 8, 649, 465)); // 9735 x 6975 twips
    reader->show();
    // Always 300 and 750 twips (20 and 50 pixels) less than the outer size, frame included;
    // a smaller window gets the difference's absolute value.
    for (const QSize size : {QSize(667, 482), QSize(6, 20)}) {
        reader->resize(size);
        const QSize outer = reader->frameGeometry().size();
        QCOMPARE(reader->textBox()->geometry(),
                 QRect(8, 8, qAbs(outer.width() - 20), qAbs(outer.height() - 50)));
    }
    reader->close();
}

QTEST_MAIN(tst_Reader)
#include "tst_Reader.moc"
