#include "PictureBox.h"

#include "Twips.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

namespace tintwright {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

Outcome PictureBox::loadPicture(const QString &file) {
    QImageReader reader(file);
    QImage image = reader.read();
    if (image.isNull())
        return Problem(reader.errorString().toStdString()).in(file.toStdString());
    m_picture = std::move(image);
    if (!m_stretch)
        takeNaturalSize();
    update();
    return {};
}

void PictureBox::setStretch(bool stretch) {
    m_stretch = stretch;
    if (!m_stretch)
        takeNaturalSize();
    update();
}

void PictureBox::takeNaturalSize() {
    if (m_picture.isNull())
        return;
    m_width = static_cast<float>(Twips::fromPixels(m_picture.width()));
    m_height = static_cast<float>(Twips::fromPixels(m_picture.height()));
    applyGeometry();
}

void PictureBox::setTwipsLeft(float left) {
    m_left = left;
    applyGeometry();
}

void PictureBox::setTwipsTop(float top) {
    m_top = top;
    applyGeometry();
}

void PictureBox::setTwipsWidth(float width) {
    m_width = width;
    applyGeometry();
}

void PictureBox::setTwipsHeight(float height) {
    m_height = height;
    applyGeometry();
}

void PictureBox::setTwipsGeometry(float left, float top, float width, float height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void PictureBox::applyGeometry() {
    setGeometry(Twips::rect(m_left, m_top, m_width, m_height));
}

void PictureBox::clearPicture() {
    m_picture = QImage();
    update();
}

void PictureBox::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_stretch)
        painter.drawImage(rect(), m_picture);
    else if (!m_picture.isNull())
        painter.drawImage(QPoint(0, 0), m_picture);
}

void PictureBox::mousePressEvent(QMouseEvent *event) {
    emit pressed(event->button(), event->modifiers(),
                 static_cast<float>(Twips::fromPixels(event->position().x())),
                 static_cast<float>(Twips::fromPixels(event->position().y())));
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event) {
    // Qt sends the release to the control that got the press, wherever the pointer is.
    emit released(event->button(), event->modifiers(),
                  static_cast<float>(Twips::fromPixels(event->position().x())),
                  static_cast<float>(Twips::fromPixels(event->position().y())));
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void PictureBox::describe(const QString &description) {
    if (description != accessibleDescription())
        setAccessibleDescription(description);
}

} // namespace tintwright
