#pragma once

#include "GuiTest.h"
#include "editor/BattlePalettes.h"
#include "widgets/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>

inline const QString kLoadFailure =
    QStringLiteral("Tried to load a color outside the range of the NES Palette (greater than 3F). "
                   "Address is either incorrect or incompatible with this program.");

// 165 back rows from 16 and 10 front rows from 256, three bytes apart, in a ROM of 512 bytes of
// 0x0F, with a copy of the shipped pictures.
struct EditorFixture : Fixture {
    EditorFixture() {
        folder.copyPictures();
        for (int i = 0; i < 165; ++i)
            state.tables.back.addresses.push_back(16 + 3 * i);
        state.tables.back.names.resize(165, "Back");
        state.tables.front.addresses = {256, 259, 262, 265, 268, 271, 274, 277, 280, 283};
        state.tables.front.names.resize(10, "Front");
        setRom(QByteArray(512, '\x0f'));
    }
    void setRom(const QByteArray &bytes) {
        folder.write("game.nes", bytes);
        QVERIFY(state.rom.open(folder.fsPath("game.nes")));
    }
    tintwright::BattlePalettes *open() {
        window = add(new tintwright::BattlePalettes(state, prompter));
        window->show();
        return window;
    }
    tintwright::PictureBox *box(const QString &name) const {
        return window->findChild<tintwright::PictureBox *>(name);
    }
    bool shows(const QString &box, const QString &picture) const {
        return this->box(box)->picture() == QImage(folder.filePath(picture));
    }
    bool tileShows(int tile, int colour) const {
        return shows(QStringLiteral("BackTile%1").arg(tile),
                     QStringLiteral("Data/Palette/%1.bmp").arg(colour));
    }
    QComboBox *list(const char *name) const { return window->findChild<QComboBox *>(name); }
    void link(bool linked) const { window->findChild<QCheckBox *>("chkLink")->setChecked(linked); }
    tintwright::BattlePalettes *window = nullptr;
};
