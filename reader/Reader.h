#pragma once

#include <QWidget>

#include <filesystem>

class QPlainTextEdit;

namespace tintwright {

// Shows Data/Manual.txt, read anew each time the window becomes active.
class Reader : public QWidget {
    Q_OBJECT

public:
    explicit Reader(const std::filesystem::path &programFolder, QWidget *parent = nullptr);
    // The window's design size, in twips; its first size as a child window.
    static constexpr double kDesignWidth = 10005, kDesignHeight = 7230;

    // Reloads the manual when this window is captioned "Manual".
    void Form_Activate();
    // What the text box holds, every line followed by CR LF.
    QString text() const { return m_shown; }
    QPlainTextEdit *textBox() const { return m_text; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Form_Resize();
    static QFont manualFont();
    QString readManual() const;

    std::filesystem::path m_programFolder;
    QPlainTextEdit *m_text;
    QString m_shown;
};

} // namespace tintwright
