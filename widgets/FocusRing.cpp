#include "FocusRing.h"

#include "PictureBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace tintwright {

namespace {

// The part of the focused control that shows the focus.
QRect ringedArea(QWidget *focus) {
    if (const auto *box = qobject_cast<const PictureBox *>(focus);
        box && !box->focusMark().isNull())
        return box->focusMark();
    if (auto *check = qobject_cast<QCheckBox *>(focus)) {
        QStyleOptionButton option;
        option.initFrom(check);
        return check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
    }
    return focus->rect();
}

} // namespace

FocusRing::FocusRing(QWidget *window) : QFocusFrame(window) {
    hide();
    connect(qApp, &QApplication::focusChanged, this, &FocusRing::follow);
}

void FocusRing::follow() {
    QWidget *focus = QApplication::focusWidget();
    m_target = focus && parentWidget()->isAncestorOf(focus) ? focus : nullptr;
    if (!m_target) {
        hide();
        return;
    }
    const QRect area = ringedArea(focus);
    const QRect inWindow(focus->mapTo(parentWidget(), area.topLeft()), area.size());
    setGeometry(inWindow.adjusted(-kThickness, -kThickness, kThickness, kThickness));
    raise();
    show();
    update();
}

void FocusRing::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QRect outer = rect();
    for (const auto &[inset, colour] : {std::pair{0, Qt::black}, {kBand, Qt::white}}) {
        const QRect band = outer.adjusted(inset, inset, -inset, -inset);
        QPainterPath path;
        path.addRect(band);
        path.addRect(band.adjusted(kBand, kBand, -kBand, -kBand));
        painter.fillPath(path, colour);
    }
}

} // namespace tintwright
