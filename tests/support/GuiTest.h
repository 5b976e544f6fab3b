#pragma once

#include "TestFolder.h"
#include "widgets/Prompter.h"

#include <QApplication>
#include <QDialog>
#include <QtTest>

#include <functional>
#include <memory>

// Fails the test when a window outlived it, then deletes what is left so the next starts clean.
inline void verifyNoWindowLeft() {
    const bool clean = QTest::qWaitFor([] { return QApplication::topLevelWidgets().isEmpty(); });
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (!widget->parentWidget())
            delete widget;
    QVERIFY2(clean, "a window outlived its test");
}

// Records every message and answers questions from a script (No when it runs out).
class RecordingPrompter : public tintwright::Prompter {
public:
    void inform(QWidget *, const QString &text) override { texts << text; }
    Answer ask(QWidget *, const QString &text) override {
        texts << text;
        return answers.isEmpty() ? Answer::No : answers.takeFirst();
    }
    QStringList texts;
    QList<Answer> answers;
};

// A program folder with good tables, its state and prompter, and the windows a test opens over
// them, each deleting itself when closed as the program's windows do, and closed at the end
// (one that will not close is left for verifyNoWindowLeft to report). When the test fails
// part-way its windows are deleted with that data, so the failure is reported, not a crash.
struct Fixture {
    Fixture() : state(folder.state()) { folder.writeTables(); }
    ~Fixture() {
        for (const QPointer<QWidget> &window : windows)
            if (QTest::currentTestFailed())
                delete window.data();
            else if (window)
                window->close();
    }
    template <typename Window> Window *add(Window *window) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        windows << window;
        return window;
    }
    TestFolder folder;
    tintwright::ProgramState state;
    RecordingPrompter prompter;
    QList<QPointer<QWidget>> windows;
};

// Answers the next modal dialog from inside its exec(). Whatever the answer does (a check in
// it may fail), the dialog is closed afterwards, so exec() returns and the test fails rather
// than hangs; the flag tells once exec() has returned whether the answer itself closed it.
inline std::shared_ptr<bool> answerModal(std::function<void(QDialog *)> answer) {
    auto closed = std::make_shared<bool>(false);
    QTimer::singleShot(0, qApp, [=] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            answer(dialog);
            *closed = !dialog->isVisible();
            if (!*closed)
                dialog->reject();
        }
    });
    return closed;
}
