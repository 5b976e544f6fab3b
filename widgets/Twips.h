#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QtGlobal>

namespace tintwright {

// Window geometry is designed in twips; the screen works in pixels.
// This is the one place where the two meet.
class Twips {
public:
    static constexpr double perPixel = 15.0;

    static int toPixels(double twips) { return qRound(twips / perPixel); }
    static double fromPixels(double pixels) { return pixels * perPixel; }

    static QRect rect(double left, double top, double width, double height) {
        return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
    }
    static QSize size(double width, double height) {
        return QSize(toPixels(width), toPixels(height));
    }
};

} // namespace tintwright
