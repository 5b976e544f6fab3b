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

// A window that deletes itself when closed, so a test cannot leak it.
template <typename Window, typename... Args> Window *ownWindow(Args &&...args) {
    auto *window = new Window(std::forward<Args>(args)...);
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

template <typename Window, typename... Args> Window *shownWindow(Args &&...args) {
    Window *window = ownWindow<Window>(std::forward<Args>(args)...);
    window->show();
    return window;
}
