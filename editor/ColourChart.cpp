#include "ColourChart.h"

#include "document/ChartGrid.h"
#include "document/NesColour.h"
#include "document/NumberText.h"
#include "document/SpritePalette.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>

namespace tintwright {

ColourChart::ColourChart(QWidget *parent) : PictureBox(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Colour chart"));
}

void ColourChart::setFocusCell(int cell) {
    m_focusCell = cell;
    setFocusMark(cellRect(cell));
    describe(cellToolTip(cell));
    emit focusCellChanged(cell);
    if (!hasFocus())
        return;
    // A screen reader follows the focus from cell to cell.
    if (QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(this))
        if (QAccessibleInterface *focused = chart->child(cell)) {
            QAccessibleEvent event(focused, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
}

QRect ColourChart::cellRect(int cell) const {
    const int size = Twips::toPixels(ChartGrid::kCell);
    return QRect(cell % ChartGrid::kColumns * size, cell / ChartGrid::kColumns * size, size, size);
}

QString ColourChart::cellName(int cell) const {
    return QString::fromStdString(NumberText::colour(cell));
}

QString ColourChart::cellToolTip(int cell) const {
    return toolTipAt(cellRect(cell).center());
}

QString ColourChart::toolTipAt(QPoint pixel) const {
    const auto value = ChartGrid::valueAt(static_cast<float>(Twips::fromPixels(pixel.x())),
                                          static_cast<float>(Twips::fromPixels(pixel.y())));
    const QImage &chart = picture();
    if (!value || !NesColour::isValid(*value) || chart.isNull())
        return {};
    const QPoint centre = cellRect(*value).center();
    if (!chart.rect().contains(centre))
        return {};
    const QColor colour = chart.pixelColor(centre);
    return tr("%1  RGB #%2").arg(cellName(*value), colour.name().mid(1).toUpper());
}

// Arrows, Home and End move the focus cell; Space and Enter press and release it.
bool ColourChart::chartKey(int key) {
    using Key = ChartGrid::Key;
    const std::pair<int, Key> moves[] = {{Qt::Key_Left, Key::Left}, {Qt::Key_Right, Key::Right},
                                         {Qt::Key_Up, Key::Up},     {Qt::Key_Down, Key::Down},
                                         {Qt::Key_Home, Key::Home}, {Qt::Key_End, Key::End}};
    for (const auto &[qtKey, move] : moves)
        if (key == qtKey) {
            setFocusCell(ChartGrid::moved(m_focusCell, move));
            return true;
        }
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    pressCell(m_focusCell);
    return true;
}

void ColourChart::pressCell(int cell) {
    setFocusCell(cell);
    const float x = ChartGrid::centreX(cell);
    const float y = ChartGrid::centreY(cell);
    emit pressed(Qt::NoButton, Qt::NoModifier, x, y);
    emit released(Qt::NoButton, Qt::NoModifier, x, y);
}

void ColourChart::keyPressEvent(QKeyEvent *event) {
    if (!chartKey(event->key()))
        PictureBox::keyPressEvent(event);
}

void ColourChart::focusInEvent(QFocusEvent *event) {
    setFocusCell(m_focusCell); // the ring, the hint and a screen reader find the cell again
    PictureBox::focusInEvent(event);
}

bool ColourChart::event(QEvent *event) {
    if (event->type() != QEvent::ToolTip)
        return PictureBox::event(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    if (const QString text = toolTipAt(help->pos()); text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

} // namespace tintwright
