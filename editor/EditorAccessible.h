#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace tintwright {

// What a screen reader is told of the editor beyond what Qt tells of any control: the six
// tiles are buttons that can be selected (the selected one is checked) and pressed, and the
// chart is a grid of 64 cells whose focused cell it reads.
class EditorAccessible {
public:
    // Qt asks this of every object; it answers for the editor's tiles and chart only.
    static QAccessibleInterface *create(const QString &className, QObject *object);
    // Makes sure Qt asks it; once is enough for the whole program.
    static void install();
};

} // namespace tintwright
