#pragma once

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

// The windows a test opened over data of its own, each deleting itself when closed as the
// program's windows do. When the test fails part-way they are deleted along with that data,
// so the failure is reported rather than followed by a crash.
class OpenWindows {
public:
    ~OpenWindows() {
        if (QTest::currentTestFailed())
            for (const QPointer<QWidget> &window : m_windows)
                delete window.data();
    }
    template <typename Window> Window *add(Window *window) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        m_windows << window;
        return window;
    }

private:
    QList<QPointer<QWidget>> m_windows;
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
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!m_answered && dialog) {
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
