#pragma once

#include <QApplication>
#include <QtTest>

// Closes whatever a failed check left open, then insists that no window leaked.
inline void closeLeftOverWindows() {
    const auto leftOver = QApplication::topLevelWidgets();
    for (QWidget *widget : leftOver)
        widget->close();
    QTRY_VERIFY(QApplication::topLevelWidgets().isEmpty());
}
