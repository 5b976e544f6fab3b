#pragma once

#include <QString>

namespace tintwright {

// The manual page tintwright-data(1), made from the same table of commands that --help shows,
// so that the two always say the same.
class ManPage {
public:
    static QString text(const QString &version);
};

} // namespace tintwright
