#include "EditorAccessible.h"

#include "BattlePalettes.h"
#include "ColourChart.h"
#include "document/ChartGrid.h"
#include "widgets/PictureBox.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QPointer>

#include <array>
#include <mutex>

namespace tintwright {

namespace {

BattlePalettes *editorOf(const QObject *object) {
    return object ? qobject_cast<BattlePalettes *>(object->parent()) : nullptr;
}

// A tile: one of six radio buttons, pressed to select it, checked while it is the selected one.
class TileAccessible : public QAccessibleWidget {
public:
    TileAccessible(QWidget *tile, int index)
        : QAccessibleWidget(tile, QAccessible::RadioButton), m_index(index) {}
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = editorOf(object())->selectedTile() == m_index;
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString &name) override {
        if (name == pressAction())
            editorOf(object())->BackTile_Click(m_index);
        else
            QAccessibleWidget::doAction(name);
    }

private:
    int m_index;
};

// A sprite's preview: an image, described by its name.
class PictureAccessible : public QAccessibleWidget, public QAccessibleImageInterface {
public:
    explicit PictureAccessible(QWidget *box) : QAccessibleWidget(box, QAccessible::Graphic) {}
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ImageInterface ? static_cast<QAccessibleImageInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString imageDescription() const override { return text(QAccessible::Name); }
    QSize imageSize() const override { return widget()->size(); }
    QPoint imagePosition() const override { return rect().topLeft(); }
};

// The hint: one line of read-only text, read by character, word and line; nothing to select.
class HintAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit HintAccessible(QLabel *hint) : QAccessibleWidget(hint, QAccessible::StaticText) {}
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text which) const override {
        return which == QAccessible::Value ? shown() : QAccessibleWidget::text(which);
    }
    QString text(int start, int end) const override { return shown().mid(start, end - start); }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int offset) const override {
        if (offset < 0 || offset >= characterCount())
            return {};
        const QFontMetrics metrics = label()->fontMetrics();
        const QPoint start = textStart();
        const QRect local(start.x() + metrics.horizontalAdvance(shown().left(offset)), start.y(),
                          metrics.horizontalAdvance(shown().at(offset)), metrics.height());
        return QRect(label()->mapToGlobal(local.topLeft()), local.size());
    }
    int offsetAtPoint(const QPoint &point) const override {
        for (int offset = 0; offset < characterCount(); ++offset)
            if (characterRect(offset).contains(point))
                return offset;
        return -1;
    }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(widget()); }
    QString shown() const { return label()->text(); }
    // Where the first character's cell begins, the label's frame and margin inside.
    QPoint textStart() const {
        const QRect inside = label()->contentsRect().adjusted(
            label()->margin(), label()->margin(), -label()->margin(), -label()->margin());
        const int height = label()->fontMetrics().height();
        return {inside.left(), inside.top() + (inside.height() - height) / 2};
    }
};

class ChartAccessible;

// One cell of the chart: its colour, and what a pick there would do.
class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
public:
    CellAccessible(ChartAccessible *chart, int cell) : m_chart(chart), m_cell(cell) {}
    bool isValid() const override { return editor() != nullptr; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name)
            return chart()->cellName(m_cell);
        if (which == QAccessible::Description)
            return editor()->cellDescription(m_cell);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Cell; }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.focusable = true;
        state.focused = chart()->hasFocus() && chart()->focusCell() == m_cell;
        state.selectable = true;
        state.selected = chart()->focusCell() == m_cell;
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }
    // A press picks the cell's colour, as a click does.
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override {
        if (name == pressAction())
            chart()->pressCell(m_cell);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_cell % ChartGrid::kColumns; }
    int rowIndex() const override { return m_cell / ChartGrid::kColumns; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    BattlePalettes *editor() const;
    ColourChart *chart() const;
    ChartAccessible *m_chart;
    int m_cell;
};

// The chart: a grid of 4 rows of 16 cells. Its cells live as long as it does.
class ChartAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ChartAccessible(ColourChart *chart) : QAccessibleWidget(chart, QAccessible::Table) {
        for (int cell = 0; cell < NesColour::kCount; ++cell) {
            m_cells[std::size_t(cell)] = new CellAccessible(this, cell);
            QAccessible::registerAccessibleInterface(m_cells[std::size_t(cell)]);
        }
    }
    ~ChartAccessible() override {
        for (CellAccessible *cell : m_cells)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(cell));
    }
    BattlePalettes *editor() const { return editorOf(object()); }
    ColourChart *chart() const { return static_cast<ColourChart *>(widget()); }
    QAccessibleInterface *child(int index) const override {
        return index >= 0 && index < NesColour::kCount ? m_cells[std::size_t(index)] : nullptr;
    }
    int childCount() const override { return NesColour::kCount; }
    int indexOfChild(const QAccessibleInterface *child) const override {
        const auto it = std::find(m_cells.begin(), m_cells.end(), child);
        return it == m_cells.end() ? -1 : int(it - m_cells.begin());
    }
    QAccessibleInterface *focusChild() const override {
        return chart()->hasFocus() ? child(chart()->focusCell()) : nullptr;
    }
    QAccessibleInterface *childAt(int x, int y) const override {
        const QPoint at = chart()->mapFromGlobal(QPoint(x, y));
        for (int cell = 0; cell < NesColour::kCount; ++cell)
            if (chart()->cellRect(cell).contains(at))
                return child(cell);
        return nullptr;
    }
    void *interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override {
        // A row outside the grid has no child of that number either.
        return column >= 0 && column < ChartGrid::kColumns
                   ? child(row * ChartGrid::kColumns + column)
                   : nullptr;
    }
    int selectedCellCount() const override { return 1; }
    QList<QAccessibleInterface *> selectedCells() const override {
        return {child(chart()->focusCell())};
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return ChartGrid::kColumns; }
    int rowCount() const override { return ChartGrid::kRows; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override {}

private:
    std::array<CellAccessible *, 64> m_cells{};
};

QWindow *CellAccessible::window() const {
    return m_chart->window();
}

QAccessibleInterface *CellAccessible::parent() const {
    return m_chart;
}

QRect CellAccessible::rect() const {
    const QRect cell = chart()->cellRect(m_cell);
    return QRect(chart()->mapToGlobal(cell.topLeft()), cell.size());
}

BattlePalettes *CellAccessible::editor() const {
    return m_chart->editor();
}

ColourChart *CellAccessible::chart() const {
    return m_chart->chart();
}

} // namespace

QAccessibleInterface *EditorAccessible::create(const QString &, QObject *object) {
    if (auto *whole = qobject_cast<BattlePalettes *>(object))
        return new QAccessibleWidget(whole, QAccessible::Pane);
    BattlePalettes *editor = editorOf(object);
    if (!editor)
        return nullptr;
    if (auto *chart = qobject_cast<ColourChart *>(object))
        return new ChartAccessible(chart);
    if (auto *hint = qobject_cast<QLabel *>(object))
        return new HintAccessible(hint);
    const int tile = editor->tileOf(object);
    if (tile >= 0)
        return new TileAccessible(static_cast<QWidget *>(object), tile);
    auto *picture = qobject_cast<PictureBox *>(object);
    return picture ? new PictureAccessible(picture) : nullptr;
}

void EditorAccessible::checkedChanged(QWidget *tile) {
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(tile, changed);
    QAccessible::updateAccessibility(&event);
}

void EditorAccessible::install() {
    // Qt keeps the factories for the whole program; one is enough.
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&EditorAccessible::create); });
}

} // namespace tintwright
