#include "Reader.h"

#include "document/FileIo.h"
#include "document/ManualText.h"
#include "document/ProgramFolder.h"
#include "widgets/Paths.h"
#include "widgets/Twips.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

#include <cmath>

namespace tintwright {

Reader::Reader(const std::filesystem::path &programFolder, QWidget *parent)
    : QWidget(parent), m_programFolder(programFolder), m_text(new QPlainTextEdit(this)) {
    m_text->setObjectName(QStringLiteral("Text"));
    m_text->setReadOnly(true);
    // Read-only, yet with a caret the keys move, by line and by character, and a selection to
    // copy: a screen reader follows it through the text.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setAccessibleName(tr("Manual text"));
    // The window's focus is the text's, so that PageDown scrolls from the first moment.
    setFocusProxy(m_text);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Only a vertical scroll bar: long lines wrap at the box's width.
    m_text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_text->setFont(manualFont());
    // Its size follows the window's (Form_Resize).
    resize(Twips::size(kDesignWidth, kDesignHeight));
}

QFont Reader::manualFont() {
    // Courier New, or what the platform's font matching offers for it (Liberation Mono has
    // its metrics); a fixed-pitch face of the system's only when that is not fixed-pitch.
    QFont font;
    for (const char *family : {"Courier New", "monospace"}) {
        font = QFont(QString::fromLatin1(family));
        font.setPointSizeF(9.75);
        font.setStyleHint(QFont::TypeWriter);
        if (QFontInfo(font).fixedPitch())
            return font;
    }
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9.75);
    return font;
}

QString Reader::readManual() const {
    const std::filesystem::path file = ProgramFolder::path(m_programFolder, ProgramFolder::kManual);
    std::string bytes;
    if (const Outcome read = FileIo::readText(file, bytes); !read)
        return tr("The manual could not be read.\r\n\r\nFile: %1\r\nReason: %2\r\n")
            .arg(Paths::toQString(file), QString::fromStdString(read.problem().reason()));

    return QString::fromStdString(ManualText::fromBytes(bytes));
}

void Reader::Form_Activate() {
    m_text->setFocus(Qt::ActiveWindowFocusReason);
    if (windowTitle() != QLatin1String("Manual"))
        return;
    const QString text = readManual();
    // An empty file keeps what is shown; the same text keeps the reader's place in it.
    if (text.isEmpty() || text == m_shown)
        return;
    m_shown = text;
    QString display = text;
    display.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_text->setPlainText(display);
}

void Reader::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Reader::Form_Resize() {
    // The outer size counts the frame and title bar around this client area.
    const QWidget *outer = qobject_cast<QMdiSubWindow *>(parentWidget());
    const QSize size = outer ? outer->size() : frameGeometry().size();
    const double width = std::fabs(Twips::fromPixels(size.width()) - 300);
    const double height = std::fabs(Twips::fromPixels(size.height()) - 750);
    m_text->setGeometry(Twips::rect(120, 120, width, height));
}

} // namespace tintwright
