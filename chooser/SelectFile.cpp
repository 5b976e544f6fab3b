#include "SelectFile.h"

#include "FolderIndent.h"

#include "document/DefaultPath.h"
#include "document/ProgramState.h"
#include "document/UserFiles.h"
#include "widgets/FocusRing.h"
#include "widgets/Paths.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QWindow>

namespace tintwright {

namespace {
constexpr int kPathRole = Qt::UserRole;
}

SelectFile::SelectFile(ProgramState &state, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state),
      m_prompter(prompter), m_patterns{QStringLiteral("*.nes"), QStringLiteral("*.bin")},
      m_dir1(new QListWidget(this)), m_file1(new QListWidget(this)),
      m_cmdOpen(new QPushButton(tr("Open"), this)),
      m_cmdCancel(new QPushButton(tr("Cancel"), this)),
      m_cmdDefault(new QPushButton(tr("Set As Default Path"), this)) {
    setWindowTitle(tr("Select File"));
    setModal(true);
    setFixedSize(Twips::size(6645, 6330));

    m_dir1->setObjectName(QStringLiteral("Dir1"));
    m_file1->setObjectName(QStringLiteral("File1"));
    m_cmdOpen->setObjectName(QStringLiteral("cmdOpen"));
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdDefault->setObjectName(QStringLiteral("cmdDefault"));

    m_dir1->setGeometry(Twips::rect(120, 120, 2415, 5265));
    m_file1->setGeometry(Twips::rect(2760, 120, 3735, 5355));
    m_cmdOpen->setGeometry(Twips::rect(2760, 5640, 1815, 495));
    m_cmdCancel->setGeometry(Twips::rect(4680, 5640, 1815, 495));
    m_cmdDefault->setGeometry(Twips::rect(120, 5640, 2415, 495));
    m_file1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cmdOpen->setDefault(true);
    m_dir1->setItemDelegate(new FolderIndent(m_dir1));
    m_dir1->setAccessibleName(tr("Folders"));
    m_file1->setAccessibleName(tr("Files"));
    new FocusRing(this);

    setTabOrder(m_dir1, m_file1);
    setTabOrder(m_file1, m_cmdOpen);
    setTabOrder(m_cmdOpen, m_cmdCancel);
    setTabOrder(m_cmdCancel, m_cmdDefault);

    connect(m_dir1, &QListWidget::itemDoubleClicked, this, &SelectFile::openFolderItem);
    connect(m_file1, &QListWidget::itemDoubleClicked, this, &SelectFile::cmdOpen_Click);
    connect(m_cmdOpen, &QPushButton::clicked, this, &SelectFile::cmdOpen_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &SelectFile::reject);
    connect(m_cmdDefault, &QPushButton::clicked, this, &SelectFile::cmdDefault_Click);
    m_dir1->installEventFilter(this);
    m_file1->installEventFilter(this);

    Form_Load();
}

void SelectFile::Form_Load() {
    if (m_state.fileTypeFilter)
        m_patterns.clear(); // every file, with or without a dot
    if (!setFolder(Paths::toQString(m_state.defaultFolder)))
        setFolder(Paths::toQString(m_state.programFolder));
    m_dir1->setFocus();
}

bool SelectFile::setFolder(const QString &folder) {
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists() || !dir.isReadable())
        return false;
    m_folder = QDir::cleanPath(dir.absolutePath());
    fillFolders();
    fillFiles();
    return true;
}

void SelectFile::fillFolders() {
    m_dir1->clear();
    // An installed copy's user keeps a demo of their own in a hidden folder: the way to it.
    if (const auto demo = UserFiles::demoCopy(m_state); !demo.empty()) {
        auto *item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirHomeIcon),
                                         yourFolderName(), m_dir1);
        item->setData(kPathRole, Paths::toQString(demo.parent_path()));
        item->setToolTip(Paths::toQString(demo.parent_path()));
    }
    QStringList chain;
    QDir walk(m_folder);
    chain.prepend(walk.absolutePath());
    while (!walk.isRoot() && walk.cdUp())
        chain.prepend(walk.absolutePath());

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    for (const QString &path : chain) {
        const QString name =
            QDir(path).isRoot() ? QDir::toNativeSeparators(path) : QDir(path).dirName();
        auto *item = new QListWidgetItem(openIcon, name, m_dir1);
        item->setData(kPathRole, path);
        item->setData(FolderIndent::kLevelRole, depth++);
    }
    m_dir1->setCurrentRow(m_dir1->count() - 1);

    const QDir current(m_folder);
    const QStringList subfolders =
        current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        // A link is listed when it leads to a folder, not to a device or a pipe.
        if (!QFileInfo(current.absoluteFilePath(name)).isDir())
            continue;
        auto *item = new QListWidgetItem(closedIcon, name, m_dir1);
        item->setData(kPathRole, current.absoluteFilePath(name));
        item->setData(FolderIndent::kLevelRole, depth);
    }
}

void SelectFile::fillFiles() {
    m_file1->clear();
    const QDir dir(m_folder);
    // Without QDir::CaseSensitive the patterns ignore case, so GAME.NES is listed. A link is
    // listed when it leads to a file, not to a device or a pipe.
    for (const QString &name :
         dir.entryList(m_patterns, QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (QFileInfo(dir.filePath(name)).isFile())
            m_file1->addItem(name);
}

void SelectFile::openFolderItem() {
    const QListWidgetItem *item = m_dir1->currentItem();
    if (!item)
        return;
    const QString path = item->data(kPathRole).toString();
    if (path != m_folder && !setFolder(path))
        m_prompter.inform(
            this, tr("The folder\n%1\ncannot be opened.").arg(QDir::toNativeSeparators(path)));
}

void SelectFile::cmdOpen_Click() {
    const QList<QListWidgetItem *> selected = m_file1->selectedItems();
    const QString name = selected.isEmpty() ? QString() : selected.first()->text();
    QString path = m_folder;
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    path += name;
    if (!m_state.rom.open(Paths::fromQString(QDir::toNativeSeparators(path)))) {
        m_prompter.inform(this, tr("The file you selected is incompatible with this program."));
        return;
    }
    accept();
}

void SelectFile::cmdDefault_Click() {
    const Outcome stored =
        DefaultPath::store(m_state, Paths::fromQString(QDir::toNativeSeparators(m_folder)));
    if (!stored)
        m_prompter.inform(this, tr("The default folder could not be saved to\n%1\n\nReason: %2")
                                    .arg(Paths::toQString(UserFiles::defaultPathFile(m_state)),
                                         QString::fromStdString(stored.problem().reason())));
}

void SelectFile::setVisible(bool visible) {
    if (visible)
        centreOnOwner();
    QDialog::setVisible(visible);
}

void SelectFile::centreOnOwner() {
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // Before it is shown our frame is unknown, and the toolkit's guess at it puts us off
    // centre under some window managers; the owner's frame is the same kind as ours.
    const QWindow *handle = owner->windowHandle();
    QRect outer(QPoint(), size().grownBy(handle ? handle->frameMargins() : QMargins()));
    outer.moveCenter(owner->frameGeometry().center());
    move(outer.topLeft());
}

void SelectFile::keyPressEvent(QKeyEvent *event) {
    // Esc neither cancels nor closes; only "Cancel" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SelectFile::selectCurrentFile() {
    m_file1->setCurrentRow(qMax(0, m_file1->currentRow()));
    m_file1->currentItem()->setSelected(true);
}

QString SelectFile::yourFolderName() {
    return tr("Your Tintwright folder");
}

bool SelectFile::eventFilter(QObject *watched, QEvent *event) {
    // The file under the focus frame is the one Enter opens: coming to the list selects it.
    const bool unselected = m_file1->count() > 0 && m_file1->selectedItems().isEmpty();
    if (watched == m_file1 && event->type() == QEvent::FocusIn && unselected)
        selectCurrentFile();
    // Enter in the folder list opens the folder rather than the file.
    if (watched == m_dir1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            openFolderItem();
            return true;
        }
    }
    // The first arrow key in an unselected file list selects the file under the focus frame,
    // even when the list holds one file and there is nowhere to move.
    if (watched == m_file1 && event->type() == QEvent::KeyPress && unselected) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
            selectCurrentFile();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tintwright
