#pragma once

#include "widgets/PictureBox.h"

namespace tintwright {

// The chart of the 64 NES colours, 4 rows of 16 cells, as its picture shows them. It keeps a
// focus cell that the keyboard moves and presses, tells the colour under the pointer, and says
// its focus cell to a screen reader. Presses and releases, the keyboard's too, come as the
// box's pressed and released signals, in twips.
class ColourChart : public PictureBox {
    Q_OBJECT

public:
    explicit ColourChart(QWidget *parent);

    int focusCell() const { return m_focusCell; }
    // Moves the focus cell and its mark; said to a screen reader while the chart has the focus.
    void setFocusCell(int cell);
    // The cell pressed and released, as a click on it does; the focus cell moves there.
    void pressCell(int cell);
    QRect cellRect(int cell) const; // in the chart's pixels
    QString cellName(int cell) const;
    // What hovering over the middle of the cell shows.
    QString cellToolTip(int cell) const;
    // "$21  RGB #57A5FF" for the colour under `pixel`, as the picture shows it; empty off the
    // colours or without a picture.
    QString toolTipAt(QPoint pixel) const;

signals:
    // The focus cell was set, the same one again included, as when the chart gets the focus.
    void focusCellChanged(int cell);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    bool chartKey(int key);

    int m_focusCell = 0; // the cell the keyboard picks
};

} // namespace tintwright
