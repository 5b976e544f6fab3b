#include "GuiTest.h"
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
    void byKeyboard();
};

void tst_Reader::readAtEachActivation() {
    Fixture fixture;
    Main *window = fixture.add(new Main(fixture.state, fixture.prompter));
    window->show();
    window->mnuDevs_Click(); // no manual yet: the text box says so
    QMdiArea *area = window->mdiArea();
    auto *first = qobject_cast<Reader *>(area->subWindowList()[0]->widget());
    QPlainTextEdit *box = first->textBox();
    QVERIFY(box->toPlainText().contains("could not be read.") && box->isReadOnly());
    QVERIFY(box->toPlainText().contains(fixture.folder.filePath("Data/Manual.txt")));
    QCOMPARE(box->font().pointSizeF(), 9.75);
    QCOMPARE(box->font().family() + " as " + QFontInfo(box->font()).family(),
             "Courier New as Liberation Mono");
    // Text box 300 and 750 twips (20 and 50 pixels) less than the outer size, frame included; a
    // smaller window gets the difference's absolute value.
    Reader *alone = fixture.add(new Reader(fixture.state.programFolder));
    alone->show();
    for (QWidget *outer :
         {static_cast<QWidget *>(area->subWindowList()[0]), static_cast<QWidget *>(alone)}) {
        outer->resize(outer == alone ? QSize(6, 20) : QSize(667, 482));
        const QSize size = outer->frameGeometry().size();
        QCOMPARE(outer->findChild<QPlainTextEdit *>()->geometry(),
                 QRect(8, 8, qAbs(size.width() - 20), qAbs(size.height() - 50)));
    }
    alone->close();
    fixture.folder.write("Data/Manual.txt", "a\nb");
    window->mnuDevs_Click();
    auto *second = qobject_cast<Reader *>(area->subWindowList()[1]->widget());
    QCOMPARE(second->text(), QStringLiteral("a\r\nb\r\n")); // every line ends with a break
    QCOMPARE(second->textBox()->toPlainText(), QStringLiteral("a\nb\n"));
    // Each activation reads the file again; an empty file keeps what is shown.
    area->setActiveSubWindow(area->subWindowList()[0]);
    QCOMPARE(first->text(), QStringLiteral("a\r\nb\r\n"));
    fixture.folder.write("Data/Manual.txt", "");
    area->setActiveSubWindow(area->subWindowList()[1]);
    QCOMPARE(second->textBox()->toPlainText(), QStringLiteral("a\nb\n"));
    // Only a window captioned exactly "Manual" loads it.
    fixture.folder.write("Data/Manual.txt", "new");
    second->setWindowTitle("manual");
    second->Form_Activate();
    QCOMPARE(second->text(), "a\r\nb\r\n");
    QCOMPARE(fixture.prompter.texts, QStringList());
}

// The text has the focus from the start and a caret the keys move; the window lies wholly
// inside a main window smaller than it.
void tst_Reader::byKeyboard() {
    Fixture fixture;
    fixture.folder.write("Data/Manual.txt", "one\ntwo\nthree");
    Main *window = fixture.add(new Main(fixture.state, fixture.prompter));
    window->resize(400, 300);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->mnuDevs_Click();
    QMdiSubWindow *sub = window->mdiArea()->subWindowList()[0];
    QPlainTextEdit *box = qobject_cast<Reader *>(sub->widget())->textBox();
    QVERIFY(QRect(QPoint(), window->mdiArea()->viewport()->size()).contains(sub->geometry()));
    QCOMPARE(QApplication::focusWidget(), box);
    QCOMPARE(box->accessibleName(), "Manual text");
    QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->textCursor().blockNumber(), 1);
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Up, Qt::ShiftModifier);
    // Every line ends with a break: the end is an empty last line.
    QCOMPARE(box->textCursor().selectedText(), QString("three") + QChar(0x2029));
    // Coming back keeps the place.
    window->mnuDevs_Click();
    window->mdiArea()->setActiveSubWindow(sub);
    QCOMPARE(box->textCursor().blockNumber(), 2); // where Shift+Up left it
    QCOMPARE(QApplication::focusWidget(), box);
}

QTEST_MAIN(tst_Reader)
#include "tst_Reader.moc"
