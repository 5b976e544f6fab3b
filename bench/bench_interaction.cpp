// What a user feels, on the offscreen platform: each action's median time beside its
// floor, the time to decode the same picture files with QImage alone.
#include "document/ProgramState.h"
#include "editor/BattlePalettes.h"
#include "shell/Main.h"
#include "widgets/Paths.h"
#include "widgets/Prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace tintwright;

namespace {

class SilentPrompter : public Prompter {
public:
    void inform(QWidget *, const QString &) override {}
    Answer ask(QWidget *, const QString &) override { return Answer::No; }
};

double medianMs(int runs, const std::function<void()> &action) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        action();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void decode(const QStringList &files) {
    for (const QString &file : files)
        (void)QImage(file);
}

void report(const char *action, double ms, double floorMs) {
    std::printf("%-34s %8.3f ms   floor %8.3f ms   ratio %5.2f\n", action, ms, floorMs,
                floorMs > 0 ? ms / floorMs : 0.0);
}

// Choosing sprite after sprite, beside decoding the pictures each shows.
void timeChoosing(BattlePalettes &editor, const ProgramState &state, const QString &folder) {
    const auto picture = [&](const QString &relative) { return folder + relative; };
    int position = 0;
    const double change = medianMs(300, [&] {
        position = (position + 1) % 150;
        editor.setBackIndex(position);
        QApplication::processEvents();
    });
    int floorPosition = 0;
    const double changeFloor = medianMs(300, [&] {
        floorPosition = (floorPosition + 1) % 150;
        const qint64 address = state.tables.back.addresses[std::size_t(floorPosition)];
        QStringList files;
        for (int k = 0; k < 3; ++k)
            files << picture(
                QStringLiteral("/Data/Palette/%1.bmp").arg(*state.rom.readByte(address + k)));
        files << picture(QStringLiteral("/Back_Silver/%1.gif").arg(floorPosition + 1))
              << picture(QStringLiteral("/Back_Ruby/%1.gif").arg(floorPosition + 1));
        decode(files);
    });
    report("choose another sprite", change, changeFloor);
    const double changeNoPaint = medianMs(300, [&] {
        position = (position + 1) % 150;
        editor.setBackIndex(position);
    });
    report("  (the load alone, before painting)", changeNoPaint, changeFloor);
}

// Picking colour after colour, beside decoding the tile each pick shows.
void timePicking(BattlePalettes &editor, const QString &folder) {
    const auto picture = [&](const QString &relative) { return folder + relative; };
    editor.BackTile_Click(1);
    int cell = 0;
    const double pick = medianMs(300, [&] {
        cell = (cell + 1) % 64;
        const float x = float(cell % 16) * 360 + 180;
        const float y = float(cell / 16) * 360 + 180;
        editor.Palette2_MouseDown(Qt::LeftButton, {}, x, y);
        editor.Palette2_MouseUp(Qt::LeftButton, {}, x, y);
        QApplication::processEvents();
    });
    int floorCell = 0;
    const double pickFloor = medianMs(300, [&] {
        floorCell = (floorCell + 1) % 64;
        decode({picture(QStringLiteral("/Data/Palette/%1.bmp").arg(floorCell))});
    });
    report("apply a pick", pick, pickFloor);
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    const QString folder = QStringLiteral(TINTWRIGHT_APP_DIR);
    const auto picture = [&](const QString &relative) { return folder + relative; };
    SilentPrompter prompter;

    // Start-up: default folder, tables, the window shown.
    const double startUp = medianMs(20, [&] {
        ProgramState state;
        state.programFolder = Paths::fromQString(folder);
        Main window(state, prompter);
        window.Form_Load();
        window.show();
        QApplication::processEvents();
    });
    std::printf("%-34s %8.3f ms\n", "start-up to main window shown", startUp);

    ProgramState state;
    state.programFolder = Paths::fromQString(folder);
    Main window(state, prompter);
    window.Form_Load();
    window.show();
    state.rom.open(Paths::fromQString(folder + QStringLiteral("/Demo.nes")));
    window.enableEdit();

    const QStringList openFiles{
        picture("/Data/Palette/Palette.gif"), picture("/Data/Palette/Select.gif"),
        picture("/Data/Palette/15.bmp"),      picture("/Data/Palette/15.bmp"),
        picture("/Data/Palette/15.bmp"),      picture("/Data/Palette/15.bmp"),
        picture("/Data/Palette/15.bmp"),      picture("/Data/Palette/15.bmp"),
        picture("/Data/Palette/15.bmp"),      picture("/Data/Palette/1.bmp"),
        picture("/Data/Palette/33.bmp"),      picture("/Back_Silver/1.gif"),
        picture("/Back_Ruby/1.gif"),          picture("/Data/Palette/15.bmp"),
        picture("/Data/Palette/28.bmp"),      picture("/Data/Palette/61.bmp"),
        picture("/Front_Silver/1.gif"),       picture("/Front_Ruby/1.gif")};
    const double openEditor = medianMs(50, [&] {
        window.mnuBattlePalettes_Click();
        QApplication::processEvents();
        window.mdiArea()->closeAllSubWindows();
        // processEvents() leaves closed windows to be deleted later; delete them now so the
        // memory figure below counts one live editor, not every one this loop opened.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    const double openFloor = medianMs(50, [&] { decode(openFiles); });
    report("open an editor window (and close)", openEditor, openFloor);

    window.mnuBattlePalettes_Click();
    QApplication::processEvents();
    auto *editor =
        qobject_cast<BattlePalettes *>(window.mdiArea()->subWindowList().first()->widget());
    editor->findChild<QCheckBox *>(QStringLiteral("chkLink"))->setChecked(false);
    const double rss = residentMiB();

    timeChoosing(*editor, state, folder);
    timePicking(*editor, folder);

    std::printf("%-34s %8.1f MiB\n", "resident memory, one editor open", rss);
    state.rom.setModified(false);
    return 0;
}
