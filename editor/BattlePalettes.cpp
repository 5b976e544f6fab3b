#include "BattlePalettes.h"

#include "PictureBox.h"
#include "document/ProgramState.h"
#include "document/SpritePalette.h"
#include "document/TextEncoding.h"
#include "shell/Paths.h"
#include "shell/Prompter.h"
#include "shell/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QToolTip>

namespace tintwright {

namespace {

// Design geometry, in twips.
constexpr float kFrameTop = 120, kFrameWidth = 4335, kFrameHeight = 855;
constexpr float kFrame1Left = 120, kFrame2Left = 4560;
constexpr float kTileTop = 3120, kTileSize = 615;
constexpr float kTileLefts[6] = {240, 960, 1680, 6600, 7440, 8280};
constexpr float kPreviewTop = 4320, kPreviewSize = 615;
constexpr int kPreviewLimit = 159;

QString hex(qint64 value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

BattlePalettes::BattlePalettes(ProgramState &state, Prompter &prompter, QWidget *parent)
    : QWidget(parent), m_state(state), m_prompter(prompter),
      m_frame1(new QGroupBox(tr("Back"), this)), m_frame2(new QGroupBox(tr("Front"), this)),
      m_frame3(new QGroupBox(tr("Link I."), this)), m_chkLink(new QCheckBox(m_frame3)),
      m_cboBack(new QComboBox(m_frame1)), m_cboFront(new QComboBox(m_frame2)),
      m_palette2(new PictureBox(this)), m_shape1(new QFrame(this)), m_shape2(new QFrame(this)),
      m_backSprite1(new PictureBox(this)), m_backSprite2(new PictureBox(this)),
      m_frontSprite1(new PictureBox(this)), m_frontSprite2(new PictureBox(this)) {
    for (auto &tile : m_backTile)
        tile = new PictureBox(this);
    m_tSelect = new PictureBox(this); // made last so it draws over the tiles

    setWindowTitle(tr("Battle Palettes"));
    setFixedSize(Twips::size(9060, 6540));

    m_frame3->setGeometry(Twips::rect(8160, 1080, 735, 855));
    m_chkLink->setGeometry(Twips::rect(240, 240, 375, 495));
    m_frame2->setGeometry(Twips::rect(kFrame2Left, kFrameTop, kFrameWidth, kFrameHeight));
    m_cboFront->setGeometry(Twips::rect(240, 315, 3855, 315));
    m_frame1->setGeometry(Twips::rect(kFrame1Left, kFrameTop, kFrameWidth, kFrameHeight));
    m_cboBack->setGeometry(Twips::rect(240, 315, 3855, 315));
    m_tSelect->setTwipsGeometry(4080, 3120, 735, 615);
    m_tSelect->hide();
    for (int i = 0; i < 6; ++i) {
        m_backTile[i]->setTwipsGeometry(kTileLefts[i], kTileTop, kTileSize, kTileSize);
        m_backTile[i]->setStretch(true);
        m_backTile[i]->hide();
        m_backTile[i]->setObjectName(QStringLiteral("BackTile%1").arg(i));
        m_backTile[i]->installEventFilter(this);
        connect(m_backTile[i], &PictureBox::clicked, this, [this, i] { BackTile_Click(i); });
    }
    m_frontSprite2->setTwipsGeometry(8040, kPreviewTop, kPreviewSize, kPreviewSize);
    m_frontSprite1->setTwipsGeometry(6600, kPreviewTop, kPreviewSize, kPreviewSize);
    m_backSprite2->setTwipsGeometry(1920, kPreviewTop, kPreviewSize, kPreviewSize);
    m_backSprite1->setTwipsGeometry(240, kPreviewTop, kPreviewSize, kPreviewSize);
    m_palette2->setTwipsGeometry(120, 1200, 975, 975);
    m_palette2->installEventFilter(this);
    m_shape1->setGeometry(Twips::rect(240, 5280, 1695, 735));
    m_shape2->setGeometry(Twips::rect(6960, 5160, 1695, 735));
    for (QFrame *shape : {m_shape1, m_shape2}) {
        shape->setFrameShape(QFrame::Box);
        shape->hide();
    }

    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    m_frame3->setObjectName(QStringLiteral("Frame3"));
    m_chkLink->setObjectName(QStringLiteral("chkLink"));
    m_cboBack->setObjectName(QStringLiteral("cboBack"));
    m_cboFront->setObjectName(QStringLiteral("cboFront"));
    m_palette2->setObjectName(QStringLiteral("Palette2"));
    m_tSelect->setObjectName(QStringLiteral("tSelect"));
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape2->setObjectName(QStringLiteral("Shape2"));
    m_backSprite1->setObjectName(QStringLiteral("BackSprite1"));
    m_backSprite2->setObjectName(QStringLiteral("BackSprite2"));
    m_frontSprite1->setObjectName(QStringLiteral("FrontSprite1"));
    m_frontSprite2->setObjectName(QStringLiteral("FrontSprite2"));

    setTabOrder(m_frame1, m_frame2);
    setTabOrder(m_frame2, m_frame3);
    setTabOrder(m_frame3, m_chkLink);
    setTabOrder(m_chkLink, m_cboBack);
    setTabOrder(m_cboBack, m_cboFront);

    // activated comes for every choice the user makes, the current entry included.
    connect(m_cboBack, &QComboBox::activated, this, &BattlePalettes::cboBack_Click);
    connect(m_cboFront, &QComboBox::activated, this, &BattlePalettes::cboFront_Click);
    connect(m_palette2, &PictureBox::pressed, this, &BattlePalettes::Palette2_MouseDown);
    connect(m_palette2, &PictureBox::released, this, &BattlePalettes::Palette2_MouseUp);

    Form_Load();
}

Qt::WindowFlags BattlePalettes::windowFlagsForMdi() {
    return Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

QString BattlePalettes::picturePath(const QString &relative) const {
    return Paths::inProgramFolder(m_state.programFolder, relative);
}

QString BattlePalettes::tilePicture(int colour) const {
    return picturePath(QStringLiteral("\\Data\\Palette\\%1.bmp").arg(colour));
}

bool BattlePalettes::loadInto(PictureBox *box, const QString &relative, QStringList *missing) {
    const QString path = picturePath(relative);
    if (box->loadPicture(path))
        return true;
    // Six tiles share one picture; name it once.
    const QString shown = QDir::toNativeSeparators(path);
    if (missing && !missing->contains(shown))
        missing->append(shown);
    return false;
}

void BattlePalettes::fillList(QComboBox *list, const LocationTable &table) {
    for (int i = 0; i < table.rows(); ++i) {
        list->addItem(QString::fromStdString(TextEncoding::toUtf8(table.names[i])));
        list->setItemData(i, table.addresses[i]);
    }
}

void BattlePalettes::Form_Load() {
    QStringList missing;

    m_palette2->hide();
    loadInto(m_palette2, QStringLiteral("\\Data\\Palette\\Palette.gif"), &missing);
    m_palette2->setTwipsLeft((kFrameWidth + kFrame2Left) / 2 - m_palette2->twipsWidth() / 2 + 45);
    m_palette2->show();

    loadInto(m_tSelect, QStringLiteral("\\Data\\Palette\\Select.gif"), &missing);

    for (PictureBox *tile : m_backTile)
        loadInto(tile, QStringLiteral("\\Data\\Palette\\15.bmp"), &missing);

    const auto centre = [this](int first, float frameLeft) {
        const float total = m_backTile[first]->twipsWidth() + m_backTile[first + 1]->twipsWidth() +
                            m_backTile[first + 2]->twipsWidth();
        m_backTile[first]->setTwipsLeft(kFrameWidth / 2 + frameLeft - total / 2);
        m_backTile[first + 1]->setTwipsLeft(m_backTile[first]->twipsLeft() +
                                            m_backTile[first]->twipsWidth());
        m_backTile[first + 2]->setTwipsLeft(m_backTile[first + 1]->twipsLeft() +
                                            m_backTile[first + 1]->twipsWidth());
    };
    centre(0, kFrame1Left);
    centre(3, kFrame2Left);

    const auto outline = [](QFrame *shape, const PictureBox *tile) {
        shape->setGeometry(Twips::rect(tile->twipsLeft() - 30, tile->twipsTop() - 30,
                                       tile->twipsWidth() * 3 + 60, tile->twipsHeight() + 60));
        shape->show();
    };
    outline(m_shape1, m_backTile[0]);
    outline(m_shape2, m_backTile[3]);

    fillList(m_cboBack, m_state.backLocations);
    fillList(m_cboFront, m_state.frontLocations);

    if (!missing.isEmpty())
        m_prompter.inform(this, tr("Some of the editor's pictures are missing or cannot be read:"
                                   "\n\n%1\n\nColours may not show until they are restored.")
                                    .arg(missing.join(QLatin1Char('\n'))));

    // An empty table leaves its list empty with nothing loaded for it.
    if (m_cboBack->count() > 0)
        setBackIndex(0);
    if (m_cboFront->count() > 0)
        setFrontIndex(0);
    m_chkLink->setChecked(true);
}

void BattlePalettes::setListIndex(QComboBox *list, int index) {
    list->setCurrentIndex(index);
    if (list == m_cboBack)
        cboBack_Click();
    else
        cboFront_Click();
}

void BattlePalettes::setBackIndex(int index) {
    setListIndex(m_cboBack, index);
}

void BattlePalettes::setFrontIndex(int index) {
    setListIndex(m_cboFront, index);
}

void BattlePalettes::cboBack_Click() {
    loadPalette({m_cboBack, m_cboFront, 0, m_backSprite1, m_backSprite2, "Back_Silver", "Back_Ruby",
                 false});
}

void BattlePalettes::cboFront_Click() {
    loadPalette({m_cboFront, m_cboBack, 3, m_frontSprite1, m_frontSprite2, "Front_Silver",
                 "Front_Ruby", true});
}

void BattlePalettes::loadPalette(const Side &side) {
    emit loadStarted(side.front);
    const int position = side.list->currentIndex();
    if (position < 0)
        return;
    const std::int64_t address = side.list->itemData(position).toInt();

    const auto fail = [this] {
        m_prompter.inform(this, tr("Tried to load a color outside the range of the NES Palette "
                                   "(greater than 3F). Address is either incorrect or "
                                   "incompatible with this program."));
    };

    for (int k = 0; k < 3; ++k) {
        const auto colour = m_state.rom.readByte(address + k);
        if (!colour || !m_backTile[side.firstTile + k]->loadPicture(tilePicture(*colour))) {
            fail();
            return;
        }
        m_tileColour[side.firstTile + k] = *colour;
    }
    for (int k = 0; k < 3; ++k)
        m_backTile[side.firstTile + k]->show();

    const int again = side.list->currentIndex();
    if (again < kPreviewLimit) {
        if (!loadPreviews(side, again)) {
            fail();
            return;
        }
    } else {
        side.sprite1->hide();
        side.sprite2->hide();
    }

    if (m_chkLink->isChecked()) {
        const int mine = side.list->currentIndex();
        if (side.otherList->currentIndex() != mine && mine < side.otherList->count())
            setListIndex(side.otherList, mine);
    }
}

bool BattlePalettes::loadPreviews(const Side &side, int position) {
    PictureBox *first = side.sprite1;
    PictureBox *second = side.sprite2;
    first->setStretch(false);
    second->setStretch(false);
    const QString name = QStringLiteral("%1.gif").arg(position + 1);
    if (!first->loadPicture(
            picturePath(QStringLiteral("\\%1\\").arg(QLatin1String(side.silverFolder)) + name)) ||
        !second->loadPicture(
            picturePath(QStringLiteral("\\%1\\").arg(QLatin1String(side.rubyFolder)) + name)))
        return false;
    first->setStretch(true);
    second->setStretch(true);
    // Each picture shows at twice its own size; natural size above keeps this from growing.
    first->setTwipsWidth(first->twipsWidth() * 2);
    second->setTwipsWidth(second->twipsWidth() * 2);
    first->setTwipsHeight(first->twipsHeight() * 2);
    second->setTwipsHeight(second->twipsHeight() * 2);
    if (side.front) {
        second->setTwipsLeft(kFrame2Left + kFrameWidth - second->twipsWidth() - 30);
        first->setTwipsLeft(second->twipsLeft() - first->twipsWidth());
    } else {
        second->setTwipsLeft(first->twipsLeft() + first->twipsWidth());
    }
    first->show();
    second->show();
    return true;
}

void BattlePalettes::BackTile_Click(int index) {
    const PictureBox *tile = m_backTile[index];
    m_tSelect->setTwipsLeft(tile->twipsWidth() / 2 + tile->twipsLeft() -
                            m_tSelect->twipsWidth() / 2);
    m_tSelect->setTwipsTop(tile->twipsHeight() / 2 + tile->twipsTop() -
                           m_tSelect->twipsHeight() / 2);
    m_selectedTile = index;
    m_tSelect->show();
    m_tSelect->raise();
}

void BattlePalettes::Palette2_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) {
    if (m_tSelect->isHidden())
        return;
    if (const auto value = SpritePalette::chartValue(x, y))
        m_pickedColour = *value;
}

void BattlePalettes::Palette2_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y) {
    if (m_tSelect->isHidden())
        return;
    const auto value = SpritePalette::chartValue(x, y);
    // A release far off the chart names no colour at all.
    if (!value || *value != m_pickedColour)
        return;

    const bool back = m_selectedTile <= 2;
    const QComboBox *list = back ? m_cboBack : m_cboFront;
    const int offset = back ? m_selectedTile : m_selectedTile - 3;
    if (list->currentIndex() < 0)
        return;
    const std::int32_t address = list->itemData(list->currentIndex()).toInt();
    const auto found = SpritePalette::byteIndex(m_state.rom, address, offset);
    if (!found) {
        m_prompter.inform(this, tr("The colour was not written: this sprite's palette byte at "
                                   "offset %1 lies outside the ROM that is open (%2 bytes). "
                                   "Its address in the location table does not fit this ROM.")
                                    .arg(std::int64_t(address) + offset)
                                    .arg(m_state.rom.length()));
        return;
    }
    const std::int64_t index = *found;
    const QString picture = tilePicture(m_pickedColour);
    if (!m_backTile[m_selectedTile]->loadPicture(picture)) {
        m_prompter.inform(this, tr("The colour was not written: its tile picture\n%1\n"
                                   "is missing or cannot be read (%2).")
                                    .arg(QDir::toNativeSeparators(picture),
                                         m_backTile[m_selectedTile]->errorString()));
        return;
    }
    m_tileColour[m_selectedTile] = m_pickedColour;
    m_state.rom.writeByte(index, m_pickedColour);
    m_state.rom.setModified(true);
}

QString BattlePalettes::chartToolTip(QPoint pixel) const {
    const auto value = SpritePalette::chartValue(static_cast<float>(Twips::fromPixels(pixel.x())),
                                                 static_cast<float>(Twips::fromPixels(pixel.y())));
    const QImage &chart = m_palette2->picture();
    if (!value || *value > 0x3F || chart.isNull())
        return {};
    const int cell = Twips::toPixels(SpritePalette::kCell);
    const QPoint centre((*value % 16) * cell + cell / 2, (*value / 16) * cell + cell / 2);
    if (!chart.rect().contains(centre))
        return {};
    const QColor colour = chart.pixelColor(centre);
    return tr("$%1  RGB #%2").arg(hex(*value, 2), colour.name().mid(1).toUpper());
}

QString BattlePalettes::tileToolTip(int tile) const {
    const QComboBox *list = tile <= 2 ? m_cboBack : m_cboFront;
    if (list->currentIndex() < 0)
        return {};
    const std::int64_t index =
        std::int64_t(list->itemData(list->currentIndex()).toInt()) + tile % 3;
    return tr("$%1 at 0x%2").arg(hex(m_tileColour[tile], 2), hex(index, 6));
}

bool BattlePalettes::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QString text;
        if (watched == m_palette2) {
            text = chartToolTip(help->pos());
        } else {
            for (int i = 0; i < 6; ++i)
                if (watched == m_backTile[i])
                    text = tileToolTip(i);
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, static_cast<QWidget *>(watched));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tintwright
