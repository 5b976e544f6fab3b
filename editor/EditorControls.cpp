#include "EditorControls.h"

#include "ColourChart.h"
#include "EditorAccessible.h"
#include "EditorLayout.h"
#include "document/NesColour.h"
#include "widgets/FocusRing.h"
#include "widgets/PictureBox.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace tintwright {

namespace {

using Layout = EditorLayout;

QRect pixels(const Layout::Rect &r) {
    return Twips::rect(r.left, r.top, r.width, r.height);
}

void place(PictureBox *box, const Layout::Rect &r) {
    box->setTwipsGeometry(r.left, r.top, r.width, r.height);
}

Layout::Rect twipsRect(const PictureBox *box) {
    return {box->twipsLeft(), box->twipsTop(), box->twipsWidth(), box->twipsHeight()};
}

// `place` in `frame`, moved down if need be so that the focus ring round the part of it that
// begins `ringed` pixels down stays clear of the frame's caption.
QRect underCaption(const QGroupBox *frame, QRect place, int ringed) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const int caption =
        frame->style()
            ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame)
            .bottom();
    place.moveTop(std::max(place.top(), caption + 1 + FocusRing::kThickness - ringed));
    return place;
}

} // namespace

EditorControls::EditorControls(QWidget *editor) {
    // Before any control is named: a screen reader may ask what a control is as soon as it is.
    EditorAccessible::install();
    m_frame1 = new QGroupBox(tr("Back"), editor);
    m_frame2 = new QGroupBox(tr("Front"), editor);
    m_frame3 = new QGroupBox(tr("Link I."), editor);
    m_chkLink = new QCheckBox(m_frame3);
    m_cboBack = new QComboBox(m_frame1);
    m_cboFront = new QComboBox(m_frame2);
    m_palette2 = new ColourChart(editor);
    m_shape1 = new QFrame(editor);
    m_shape2 = new QFrame(editor);
    m_backSprite1 = new PictureBox(editor);
    m_backSprite2 = new PictureBox(editor);
    m_frontSprite1 = new PictureBox(editor);
    m_frontSprite2 = new PictureBox(editor);
    m_hint = new QLabel(editor);
    for (auto &tile : m_backTile)
        tile = new PictureBox(editor);
    m_tSelect = new PictureBox(editor); // made last so it draws over the tiles...
    // ...but a click on any visible part of a tile reaches the tile.
    m_tSelect->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_ring = new FocusRing(editor); // over everything
    placeControls(editor);
    nameControls();
    arrangeForKeyboard();
}

std::array<PictureBox *, 2> EditorControls::previews(bool front) const {
    if (front)
        return {m_frontSprite1, m_frontSprite2};
    return {m_backSprite1, m_backSprite2};
}

// The design positions and states, in twips.
void EditorControls::placeControls(QWidget *editor) {
    editor->setFixedSize(Twips::size(Layout::kClientWidth, Layout::kClientHeight));
    m_frame3->setGeometry(pixels(Layout::kFrame3));
    m_frame2->setGeometry(pixels(Layout::kFrame2));
    m_frame1->setGeometry(pixels(Layout::kFrame1));
    fitUnderCaptions();
    place(m_tSelect, Layout::kMarker);
    m_tSelect->hide();
    for (int i = 0; i < SpritePalette::kTiles; ++i) {
        place(m_backTile[i],
              {Layout::kTileLefts[i], Layout::kTileTop, Layout::kTileSize, Layout::kTileSize});
        m_backTile[i]->setStretch(true);
        m_backTile[i]->hide();
    }
    PictureBox *const previews[] = {m_backSprite1, m_backSprite2, m_frontSprite1, m_frontSprite2};
    for (int i = 0; i < 4; ++i)
        place(previews[i], {Layout::kPreviewLefts[i], Layout::kPreviewTop, Layout::kPreviewSize,
                            Layout::kPreviewSize});
    place(m_palette2, Layout::kChart);
    m_shape1->setGeometry(pixels(Layout::kShape1));
    m_shape2->setGeometry(pixels(Layout::kShape2));
    for (QFrame *shape : {m_shape1, m_shape2}) {
        shape->setFrameShape(QFrame::Box);
        shape->hide();
    }
}

// The controls' own names, as tests and accessibility tools find them.
void EditorControls::nameControls() {
    const std::pair<QObject *, const char *> names[] = {{m_frame1, "Frame1"},
                                                        {m_frame2, "Frame2"},
                                                        {m_frame3, "Frame3"},
                                                        {m_chkLink, "chkLink"},
                                                        {m_cboBack, "cboBack"},
                                                        {m_cboFront, "cboFront"},
                                                        {m_palette2, "Palette2"},
                                                        {m_tSelect, "tSelect"},
                                                        {m_hint, "FocusHint"},
                                                        {m_shape1, "Shape1"},
                                                        {m_shape2, "Shape2"},
                                                        {m_backSprite1, "BackSprite1"},
                                                        {m_backSprite2, "BackSprite2"},
                                                        {m_frontSprite1, "FrontSprite1"},
                                                        {m_frontSprite2, "FrontSprite2"}};
    for (const auto &[control, name] : names)
        control->setObjectName(QLatin1String(name));
    for (int i = 0; i < SpritePalette::kTiles; ++i)
        m_backTile[i]->setObjectName(QStringLiteral("BackTile%1").arg(i));
}

// Tab order, focus and the names a screen reader reads.
void EditorControls::arrangeForKeyboard() {
    for (PictureBox *tile : m_backTile)
        tile->setFocusPolicy(Qt::StrongFocus);
    QWidget *const order[] = {m_frame1,      m_frame2,      m_frame3,      m_chkLink,
                              m_cboBack,     m_cboFront,    m_backTile[0], m_backTile[1],
                              m_backTile[2], m_backTile[3], m_backTile[4], m_backTile[5],
                              m_palette2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // What a screen reader meets besides the controls carries a name.
    const std::pair<QWidget *, QString> names[] = {{m_tSelect, tr("Selection marker")},
                                                   {m_backSprite1, tr("Back sprite, Silver")},
                                                   {m_backSprite2, tr("Back sprite, Ruby")},
                                                   {m_frontSprite1, tr("Front sprite, Silver")},
                                                   {m_frontSprite2, tr("Front sprite, Ruby")},
                                                   {m_shape1, tr("Back colours")},
                                                   {m_shape2, tr("Front colours")},
                                                   {m_hint, tr("Focus hint")}};
    for (const auto &[widget, name] : names)
        widget->setAccessibleName(name);
    for (int i = 0; i < SpritePalette::kTiles; ++i)
        m_backTile[i]->setAccessibleName(
            (i < kPaletteBytes ? tr("Back colour %1") : tr("Front colour %1"))
                .arg(i % kPaletteBytes + 1));
    m_frame1->setAccessibleName(m_frame1->title());
    m_frame2->setAccessibleName(m_frame2->title());
    m_frame3->setAccessibleName(m_frame3->title());
    m_cboBack->setAccessibleName(m_frame1->title());
    m_cboFront->setAccessibleName(m_frame2->title());
    m_chkLink->setAccessibleName(m_frame3->title()); // its caption is the frame's
    // The hint shows what hovering would, for the tile or chart cell that has the focus.
    m_hint->setForegroundRole(QPalette::ToolTipText);
    m_hint->setBackgroundRole(QPalette::ToolTipBase);
    m_hint->setAutoFillBackground(true);
    m_hint->setFrameShape(QFrame::Box);
    m_hint->setMargin(2);
    m_hint->hide();
}

void EditorControls::fitTiles() {
    const auto centre = [this](int first, const Layout::Rect &frame) {
        const auto lefts = Layout::centredTiles(frame, {m_backTile[first]->twipsWidth(),
                                                        m_backTile[first + 1]->twipsWidth(),
                                                        m_backTile[first + 2]->twipsWidth()});
        for (int k = 0; k < kPaletteBytes; ++k)
            m_backTile[first + k]->setTwipsLeft(lefts[std::size_t(k)]);
    };
    centre(0, Layout::kFrame1);
    centre(3, Layout::kFrame2);

    const auto outline = [](QFrame *shape, const PictureBox *tile) {
        shape->setGeometry(pixels(Layout::outline(twipsRect(tile))));
        shape->show();
    };
    outline(m_shape1, m_backTile[0]);
    outline(m_shape2, m_backTile[3]);
}

void EditorControls::fitPreviews(bool front) {
    const auto [first, second] = previews(front);
    first->setStretch(true);
    second->setStretch(true);
    // Each picture shows at twice its own size; natural size above keeps this from growing.
    for (PictureBox *preview : {first, second}) {
        preview->setTwipsWidth(preview->twipsWidth() * 2);
        preview->setTwipsHeight(preview->twipsHeight() * 2);
    }
    if (front) {
        const auto lefts = Layout::frontPreviewLefts(first->twipsWidth(), second->twipsWidth());
        second->setTwipsLeft(lefts[1]);
        first->setTwipsLeft(lefts[0]);
    } else {
        second->setTwipsLeft(first->twipsLeft() + first->twipsWidth());
    }
    first->show();
    second->show();
}

void EditorControls::fitUnderCaptions() {
    QStyleOptionButton check;
    check.initFrom(m_chkLink);
    const int box =
        m_chkLink->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &check, m_chkLink).top();
    m_chkLink->setGeometry(underCaption(m_frame3, pixels(Layout::kLink), box));
    m_cboBack->setGeometry(underCaption(m_frame1, pixels(Layout::kList), 0));
    m_cboFront->setGeometry(underCaption(m_frame2, pixels(Layout::kList), 0));
}

void EditorControls::markTile(int index) {
    const auto corner = Layout::centredOn(twipsRect(tile(index)), m_tSelect->twipsWidth(),
                                          m_tSelect->twipsHeight());
    m_tSelect->setTwipsLeft(corner[0]);
    m_tSelect->setTwipsTop(corner[1]);
    m_tSelect->show();
    m_tSelect->raise();
}

} // namespace tintwright
