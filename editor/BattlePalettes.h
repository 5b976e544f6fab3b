#pragma once

#include "EditorControls.h"
#include "document/SpritePalette.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>

class QComboBox;

namespace tintwright {

struct LocationTable;
struct ProgramState;
class PictureBox;
class Prompter;

// The battle palette editor: pick a back and a front sprite, see their palettes
// as six colour tiles, select a tile and click a colour on the chart.
class BattlePalettes : public QWidget {
    Q_OBJECT

public:
    BattlePalettes(ProgramState &state, Prompter &prompter, QWidget *parent = nullptr);

    // Title bar and frame of the editor inside the main window: fixed size, no maximise.
    static Qt::WindowFlags windowFlagsForMdi();

    // The sprite-list loads; they run whenever an entry becomes current.
    void cboBack_Click();
    void cboFront_Click();
    // Loads both lists' current sprites again from the ROM, as after another ROM was opened;
    // one message when either does not fit it.
    void reloadSprites();
    // Shows ROM byte `index` again on every tile that stands for it.
    void showByte(qint64 index);
    // Sets a list's current entry from code, running its load as a user's choice does.
    void setBackIndex(int index);
    void setFrontIndex(int index);

    void BackTile_Click(int index);
    // Ctrl+Z and Ctrl+Shift+Z or Ctrl+Y: the last pick in the ROM, whichever window made it.
    void undoPick();
    void redoPick();
    void Palette2_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void Palette2_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);

    // The first control in the tab order gets the focus, as when the window opens.
    void focusFirstControl();
    // Coming back to the window: the control that had the focus last gets it again.
    void restoreFocus();
    // What the accessibility layer reads of the editor: its tiles, and what a pick on a chart
    // cell would change.
    int tileOf(const QObject *object) const; // -1: no tile
    int selectedTile() const;                // -1: none selected yet
    QString cellDescription(int cell) const;

signals:
    // Emitted as each load starts; false for the back list, true for the front.
    void loadStarted(bool front);
    // A pick, an undo or a redo here changed ROM byte `index`.
    void romChanged(qint64 index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // One list with what it loads into: its tiles from `firstTile`, its two previews.
    struct Side {
        QComboBox *list;
        QComboBox *other;
        int firstTile;
        std::array<PictureBox *, 2> previews;
        bool front;
    };

    void connectControls();
    void Form_Load();
    Side side(bool front) const;
    // False when the load stopped at a byte or picture it could not show.
    bool loadPalette(const Side &side, bool link);
    void reportLoadFailure();
    bool showPreviews(const Side &side, int number);
    void setListIndex(QComboBox *list, int index);
    std::int32_t currentAddress(const QComboBox *list) const;
    QString picturePath(const std::string &name) const;
    QString tilePicture(int colour) const;
    void loadInto(PictureBox *box, const std::string &name, QStringList &missing);
    void fillList(QComboBox *list, const LocationTable &table);
    QString tileToolTip(int tile) const;
    Outcome showTile(int tile, int colour);
    // The tile shows no colour, and says what the ROM holds there instead.
    void blankTile(int tile);
    // The tiles that show ROM byte `index` again; the first of them, or -1.
    int showTilesAt(std::int64_t index);
    void showChange(std::optional<std::int64_t> index);
    void showHint();
    // The hint centred across `centre` in the band of rows from `top` to `bottom`.
    void placeHint(int centre, int top, int bottom);
    static constexpr double kSmallestHint = 6; // points: still readable
    // The ring and the hint move with the chart's focus cell.
    void followFocusCell();

    ProgramState &m_state;
    Prompter &m_prompter;

    EditorControls m_ui;

    ColourPick m_pick;
    static constexpr int kNoColour = -1;
    std::array<int, SpritePalette::kTiles> m_tileColour{}; // what each tile shows, or kNoColour
    QPointer<QWidget> m_lastFocus;
};

} // namespace tintwright
