#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace tintwright {

void MessageBoxPrompter::inform(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

Prompter::Answer MessageBoxPrompter::ask(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    // Enter saves, as the question's first answer; Escape and the close button go back.
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

} // namespace tintwright
