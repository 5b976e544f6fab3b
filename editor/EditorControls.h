#pragma once

#include "document/SpritePalette.h"

#include <QCoreApplication>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QWidget;

namespace tintwright {

class ColourChart;
class FocusRing;
class PictureBox;

// The editor's controls as its design has them: made inside the editor, placed in twips,
// named, and put in the order the keyboard visits them, and placed again round the pictures
// they are given. What they show and do is the editor's.
class EditorControls {
    Q_DECLARE_TR_FUNCTIONS(EditorControls)

public:
    explicit EditorControls(QWidget *editor);

    QCheckBox *chkLink() const { return m_chkLink; }
    QComboBox *cboBack() const { return m_cboBack; }
    QComboBox *cboFront() const { return m_cboFront; }
    ColourChart *palette2() const { return m_palette2; }
    // Back colours 1 to 3, then front colours 1 to 3; any other index throws.
    PictureBox *tile(int index) const { return m_backTile.at(std::size_t(index)); }
    const std::array<PictureBox *, SpritePalette::kTiles> &tiles() const { return m_backTile; }
    PictureBox *tSelect() const { return m_tSelect; }
    // Silver, then Ruby.
    std::array<PictureBox *, 2> previews(bool front) const;
    QLabel *hint() const { return m_hint; }
    FocusRing *ring() const { return m_ring; }

    // Once the tiles have their pictures: three tiles centred under each frame, edge to edge,
    // with the outline round them.
    void fitTiles();
    // Once a list's previews have their pictures: twice their own size, side by side.
    void fitPreviews(bool front);
    // The marker centred on tile `index`, over it.
    void markTile(int index);
    // The link box and the lists where the design puts them, or lower if a large font's caption
    // would reach them: they and their focus rings stay clear of their frames' captions.
    void fitUnderCaptions();

private:
    void placeControls(QWidget *editor);
    void nameControls();
    void arrangeForKeyboard();

    QGroupBox *m_frame1 = nullptr;
    QGroupBox *m_frame2 = nullptr;
    QGroupBox *m_frame3 = nullptr;
    QCheckBox *m_chkLink = nullptr;
    QComboBox *m_cboBack = nullptr;
    QComboBox *m_cboFront = nullptr;
    ColourChart *m_palette2 = nullptr;
    QFrame *m_shape1 = nullptr;
    QFrame *m_shape2 = nullptr;
    PictureBox *m_backSprite1 = nullptr;
    PictureBox *m_backSprite2 = nullptr;
    PictureBox *m_frontSprite1 = nullptr;
    PictureBox *m_frontSprite2 = nullptr;
    QLabel *m_hint = nullptr;
    std::array<PictureBox *, SpritePalette::kTiles> m_backTile{};
    PictureBox *m_tSelect = nullptr;
    FocusRing *m_ring = nullptr;
};

} // namespace tintwright
