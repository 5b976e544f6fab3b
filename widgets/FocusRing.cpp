#include "FocusRing.h"

#include "PictureBox.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace tintwright {

namespace {

constexpr int kBand = 2; // pixels of each colour

} // namespace

FocusRing::FocusRing(QWidget *window) : QWidget(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(tr("Focus frame"));
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
    const auto *box = qobject_cast<const PictureBox *>(focus);
    const QRect area = box && !box->focusMark().isNull() ? box->focusMark() : focus->rect();
    const QRect inWindow(focus->mapTo(parentWidget(), area.topLeft()), area.size());
    setGeometry(inWindow.adjusted(-2 * kBand, -2 * kBand, 2 * kBand, 2 * kBand));
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
