#pragma once

#include "TestFolder.h"
#include "widgets/Prompter.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QtTest>

#include <functional>

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
    bool ask(QWidget *, const QString &text) override {
        texts << text;
        return !answers.isEmpty() && answers.takeFirst();
    }
    QStringList texts;
    QList<bool> answers;
};

// A program folder with good tables, its state and prompter, and the windows a test opens over
// them, each deleting itself when closed as the program's windows do. When the test fails
// part-way its windows are deleted with that data, so the failure is reported, not a crash.
struct Fixture {
    Fixture() : state(folder.state()) { folder.writeTables(); }
    ~Fixture() {
        if (QTest::currentTestFailed())
            for (const QPointer<QWidget> &window : windows)
                delete window.data();
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

// Answers the next modal dialog from inside its exec(). A dialog that the answer leaves open
// (a check inside it failed, say) is rejected a few seconds later, so that exec() returns and
// the test fails instead of hanging: check ok() once exec() has returned.
class ModalAnswer : public QObject {
public:
    explicit ModalAnswer(std::function<void(QDialog *)> answer) : m_answer(std::move(answer)) {
        m_clock.start();
        startTimer(10);
    }
    bool ok() const { return m_answered && !m_forced; }

protected:
    void timerEvent(QTimerEvent *) override {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            dialog && !m_answered) {
            m_answered = true;
            m_dialog = dialog;
            m_clock.restart();
            m_answer(dialog);
        } else if (m_dialog && m_dialog->isVisible() && m_clock.elapsed() > 3000) {
            m_forced = true;
            m_dialog->reject();
        }
    }

private:
    std::function<void(QDialog *)> m_answer;
    QElapsedTimer m_clock;
    QPointer<QDialog> m_dialog;
    bool m_answered = false;
    bool m_forced = false;
};
