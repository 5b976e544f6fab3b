#include "MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace tintwright {

void MessageBoxPrompter::inform(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool MessageBoxPrompter::ask(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

} // namespace tintwright
