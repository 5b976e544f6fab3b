#pragma once

#include <QFocusFrame>
#include <QPointer>

namespace tintwright {

// A frame round whichever control of its window has the keyboard focus, drawn over everything
// else: 2 pixels of white inside 2 of black, so that it stands out 3:1 or more against any
// colour round it. A picture control with a focus mark (the chart's cell) is ringed there, a
// check box round its box, clear of the caption beside it. A focus frame is decoration, which
// screen readers are not shown.
class FocusRing : public QFocusFrame {
    Q_OBJECT

public:
    explicit FocusRing(QWidget *window);
    static constexpr int kBand = 2;              // pixels of each colour
    static constexpr int kThickness = 2 * kBand; // how far it stands out round a control
    // Places the ring round the control that has the focus again (its mark moved).
    void follow();
    // The control it rings; none when the focus is elsewhere.
    QWidget *target() const { return m_target; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QWidget> m_target;
};

} // namespace tintwright
