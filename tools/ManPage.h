#pragma once

#include <QString>

namespace tintwright {

// The manual page tintwright-data(1), made from the same table of commands that --help shows,
// so that the two always say the same.
class ManPage {
public:
    // `readme`: the README's text, whose examples of the command become EXAMPLES.
    static QString text(const QString &version, const QString &readme = {});
    // The README's examples of tintwright-data: the console blocks of its section.
    static QStringList examples(const QString &readme);
};

} // namespace tintwright
