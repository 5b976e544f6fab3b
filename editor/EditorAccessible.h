#pragma once

class QAccessibleInterface;
class QObject;
class QString;
class QWidget;

namespace tintwright {

// What a screen reader is told of the editor beyond what Qt tells of any control: the six
// tiles are radio buttons (the selected one is checked) that can be pressed, the chart is a
// grid of 64 cells whose focused cell it reads, the previews are images, and the hint is text
// it can read by character and line.
class EditorAccessible {
public:
    // Qt asks this of every object; it answers for the editor's tiles and chart only.
    static QAccessibleInterface *create(const QString &className, QObject *object);
    // Makes sure Qt asks it; once is enough for the whole program.
    static void install();
    // Says that a tile's checked state changed: it is the selected tile now, or no longer.
    static void checkedChanged(QWidget *tile);
};

} // namespace tintwright
