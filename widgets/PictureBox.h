#pragma once

#include "document/Problem.h"

#include <QImage>
#include <QWidget>

namespace tintwright {

// An image control placed in twips. At natural size it takes its picture's size;
// stretched it keeps its own size and scales the picture. Mouse positions are
// reported in twips from its top-left corner.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    // A problem when the file is missing or unreadable; the old picture then stays.
    Outcome loadPicture(const QString &file);
    const QImage &picture() const { return m_picture; }
    // Shows nothing; the box keeps its size.
    void clearPicture();

    // Turning stretching off snaps the control back to its picture's own size.
    void setStretch(bool stretch);
    bool stretch() const { return m_stretch; }

    float twipsLeft() const { return m_left; }
    float twipsTop() const { return m_top; }
    float twipsWidth() const { return m_width; }
    float twipsHeight() const { return m_height; }
    void setTwipsLeft(float left);
    void setTwipsTop(float top);
    void setTwipsWidth(float width);
    void setTwipsHeight(float height);
    void setTwipsGeometry(float left, float top, float width, float height);

    // Where the keyboard focus shows while the box has it, in pixels: the whole box when empty.
    void setFocusMark(const QRect &mark) { m_focusMark = mark; }
    QRect focusMark() const { return m_focusMark; }

    // What a screen reader reads of the box beside its name; said only when it changes.
    void describe(const QString &description);

signals:
    void clicked();
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void released(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void takeNaturalSize();
    void applyGeometry();

    QImage m_picture;
    bool m_stretch = false;
    QRect m_focusMark;
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
};

} // namespace tintwright
