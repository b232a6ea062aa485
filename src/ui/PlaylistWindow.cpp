#include "ui/PlaylistWindow.h"

#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "shell/MenuModel.h"
#include "ui/DialogControls.h"
#include "ui/DroppedPaths.h"
#include "ui/FileCommands.h"
#include "ui/OpenDialogs.h"
#include "ui/PlaylistFileDialogs.h"
#include "ui/PlaylistList.h"
#include "ui/TagEditorDialog.h"
#include "ui/TemplateMenu.h"
#include "ui/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace zeb {

namespace {

constexpr QSize kOwnSize(520, 420);

void AddMenuNodes(QMenu* menu, const std::vector<MenuNode>& nodes) {
    for (const MenuNode& node : nodes) {
        if (node.kind == MenuItemKind::Popup) {
            QMenu* sub = menu->addMenu(FromUtf8(node.label));
            AddMenuNodes(sub, node.children);
            QFont font = sub->menuAction()->font();
            font.setBold(node.isDefault);
            sub->menuAction()->setFont(font);
            continue;
        }
        QAction* action = AddCommandAction(menu, node.id, FromUtf8(node.label));
        QFont font = action->font();
        font.setBold(node.isDefault);
        action->setFont(font);
    }
}

} // namespace

PlaylistWindow::PlaylistWindow(CMainWnd& wnd, QWidget* parent)
    : QWidget(parent, Qt::Window), wnd_(wnd) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(wnd.Language, IDD_PLAYLIST)));
    setWindowTitle(FromUtf8(UiDialogText(wnd.Language, IDD_PLAYLIST, kDialogCaption)));
    setAcceptDrops(true);
    view_ = std::make_unique<PlaylistView>(wnd, static_cast<PlaylistViewListener&>(*this));
    BuildControls();
    BuildMenuBar();
    AddShortcuts();
    Place();
    ApplyOnTop();

    view_->Refill();
    if (view_->Count() > 0)
        view_->SelectOnly(std::clamp(wnd.CurrentIndex(), 0, view_->Count() - 1));
    RowsChanged();
    StatusChanged();
    list_->setFocus();
}

// The controls use the view, so they go first; then the view, which stops
// the scanner's calls, while the window is still whole.
PlaylistWindow::~PlaylistWindow() {
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    view_.reset();
}

void PlaylistWindow::BuildControls() {
    auto* frame = new QFrame(this);
    SetControlId(frame, IDC_PL_FRAME);
    frame->setFrameShape(QFrame::StyledPanel);

    find_ = new QLineEdit(frame);
    SetControlId(find_, IDC_PL_FIND);
    // Drops belong to the window, not to the text fields.
    find_->setAcceptDrops(false);
    find_->installEventFilter(this);
    connect(find_, &QLineEdit::textChanged, this,
            [this](const QString& text) { view_->Find(text.toStdString()); });

    list_ = new PlaylistList(*view_, frame);
    SetControlId(list_, IDC_PL_LIST);
    connect(list_, &PlaylistList::KeyForFindBox, this, [this](QKeyEvent* event) {
        find_->setFocus(Qt::OtherFocusReason);
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(),
                       event->isAutoRepeat(), ushort(event->count()));
        QApplication::sendEvent(find_, &copy);
    });
    connect(list_, &PlaylistList::ContextMenuWanted, this, &PlaylistWindow::ShowContextMenu);

    status_ = new QLineEdit(frame);
    SetControlId(status_, IDC_PL_STATUS);
    status_->setReadOnly(true);
    status_->setAcceptDrops(false);

    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(find_);
    inner->addWidget(list_, 1);
    inner->addWidget(status_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame);
}

void PlaylistWindow::BuildMenuBar() {
    menuBar_ = new QMenuBar(this);
    AddTemplateMenus(menuBar_, LoadMenuTemplate(wnd_.Language, IDR_MENU_PLAYLIST).items);
    const QList<QAction*> menus = menuBar_->actions();
    // The window manager owns the system menu on Linux, so "always on top"
    // ends the first menu.
    if (!menus.isEmpty() && menus.front()->menu()) {
        QMenu* first = menus.front()->menu();
        first->addSeparator();
        QAction* onTop = AddCommandAction(first, ID_ALWAYS_ON_TOP,
                                          FromUtf8(UiString(wnd_.Language, IDS_ALWAYS_ON_TOP)));
        onTop->setCheckable(true);
    }
    for (QAction* action : menus) {
        QMenu* menu = action->menu();
        if (!menu)
            continue;
        if (QAction* extended = FindCommandAction(menu, ID_PL_EXTENDED_FORMAT))
            extended->setCheckable(true);
        if (SlotOfMenu(menu) == MenuSlot::FindTrack)
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillFindMenu(menu); });
        else
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
    }
    connect(menuBar_, &QMenuBar::triggered, this, [this](QAction* action) {
        if (int id = CommandOfAction(action))
            RunCommand(id);
    });
    layout()->setMenuBar(menuBar_);
}

void PlaylistWindow::AddShortcuts() {
    static constexpr struct {
        QKeyCombination keys;
        int command;
    } kAccelerators[] = {
        {Qt::CTRL | Qt::Key_A, ID_PL_SELECT_ALL},
        {Qt::CTRL | Qt::Key_F, ID_PL_SORT_BY_PATH},
        {Qt::CTRL | Qt::Key_H, ID_PL_RANDOM_ORDER},
        {Qt::CTRL | Qt::Key_N, ID_PL_SORT_BY_NAME},
        {Qt::CTRL | Qt::Key_O, ID_PL_OPEN},
        {Qt::CTRL | Qt::Key_S, ID_PL_SAVE},
        {Qt::CTRL | Qt::Key_T, ID_PL_EDIT_TAG},
        {Qt::CTRL | Qt::Key_F5, ID_PL_COPY_TO},
        {Qt::CTRL | Qt::Key_F6, ID_PL_MOVE_TO},
        {Qt::CTRL | Qt::Key_F8, ID_PL_DELETE_FILES},
        {QKeyCombination(Qt::Key_Insert), ID_PL_ADD_FILES},
    };
    for (const auto& accelerator : kAccelerators) {
        auto* shortcut = new QShortcut(QKeySequence(accelerator.keys), this);
        const int command = accelerator.command;
        connect(shortcut, &QShortcut::activated, this, [this, command] { RunCommand(command); });
    }
    // Shift+Delete deletes the files for good, as in file managers.
    auto* erase = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete), this);
    connect(erase, &QShortcut::activated, this,
            [this] { DeleteSelectedFiles(this, wnd_, *view_, true); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

// ------------------------------------------------------------------ placement

// On the screen where the window was, else on the primary one.
void PlaylistWindow::Place() {
    QScreen* screen = QApplication::screenAt(QPoint(wnd_.PlaylistX, wnd_.PlaylistY));
    if (!screen)
        screen = QApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(PlaceWindow(wnd_.PlaylistX, wnd_.PlaylistY, wnd_.PlaylistW, wnd_.PlaylistH,
                            kOwnSize, area));
}

void PlaylistWindow::StorePlacement() {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    wnd_.PlaylistX = r.x();
    wnd_.PlaylistY = r.y();
    wnd_.PlaylistW = r.width();
    wnd_.PlaylistH = r.height();
}

// A top-most window is a tool window without a task-bar entry; otherwise it
// is a normal window with one.
void PlaylistWindow::ApplyOnTop() {
    const bool onTop = wnd_.PlaylistOnTop == 1;
    Qt::WindowFlags flags = windowFlags() & ~(Qt::WindowType_Mask | Qt::WindowStaysOnTopHint);
    flags |= onTop ? (Qt::Tool | Qt::WindowStaysOnTopHint) : Qt::Window;
    const bool shown = isVisible();
    setWindowFlags(flags);
    if (shown)
        show();
}

void PlaylistWindow::ToggleOnTop() {
    wnd_.PlaylistOnTop = 1 - wnd_.PlaylistOnTop;
    ApplyOnTop();
}

void PlaylistWindow::closeEvent(QCloseEvent* event) {
    StorePlacement();
    emit Closed();
    event->accept();
}

// ------------------------------------------------------------------ view

void PlaylistWindow::RowsChanged() {
    if (list_)
        list_->SyncRows();
}

void PlaylistWindow::StatusChanged() {
    setWindowTitle(FromUtf8(view_->Title()));
    if (!status_)
        return;
    status_->setText(QFile::decodeName(QByteArray::fromStdString(view_->StatusPath())));
    status_->selectAll();
}

// The view tells of further lines only once the title has been read, so
// the refresh runs once however many lines came meanwhile.
void PlaylistWindow::InfoChangedFromScanner() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            StatusChanged();
            Redraw();
        },
        Qt::QueuedConnection);
}

void PlaylistWindow::Refill(bool appended) {
    view_->Refill(appended);
    RowsChanged();
    StatusChanged();
}

void PlaylistWindow::ShowSorted() {
    view_->ShowSorted();
}

void PlaylistWindow::Redraw() {
    list_->viewport()->update();
}

// ------------------------------------------------------------------ menus

void PlaylistWindow::UpdateMenu(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        const int id = CommandOfAction(action);
        if (id == ID_ALWAYS_ON_TOP) {
            action->setChecked(wnd_.PlaylistOnTop == 1);
        } else if (id != 0) {
            action->setEnabled(view_->CommandEnabled(id));
            if (action->isCheckable())
                action->setChecked(view_->CommandChecked(id));
        }
    }
}

// The tracks tree of the tray menu, only for 1..5000 entries.
void PlaylistWindow::FillFindMenu(QMenu* menu) {
    // The folder popups are the menu's children; clearing alone keeps them.
    qDeleteAll(menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
    menu->clear();
    if (wnd_.Count() >= 1 && wnd_.Count() <= kMaxMenuEntries)
        AddMenuNodes(menu, BuildTracksTree(wnd_));
}

void PlaylistWindow::ShowContextMenu(const QPoint& globalPos) {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("menu-%1").arg(
        LocalizedResourceId(wnd_.Language, IDR_MENU_PLAYLIST_CONTEXT)));
    AddTemplateItems(menu, LoadMenuTemplate(wnd_.Language, IDR_MENU_PLAYLIST_CONTEXT).items);
    UpdateMenu(menu);
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        // The command may show a dialog: it runs once the menu has gone.
        if (int id = CommandOfAction(action))
            QTimer::singleShot(0, this, [this, id] { RunCommand(id); });
    });
    menu->popup(globalPos);
}

// ------------------------------------------------------------------ commands

void PlaylistWindow::RunCommand(int id) {
    if (id == ID_ALWAYS_ON_TOP) {
        ToggleOnTop();
        return;
    }
    if (!view_->CommandEnabled(id))
        return;
    switch (id) {
    case ID_PL_OPEN:
    case ID_PL_ADD_PLAYLIST:
        OpenPlaylistFile();
        return;
    case ID_PL_SAVE:
        SavePlaylistFile(false);
        return;
    case ID_PL_NEW_FROM_SELECTION:
        SavePlaylistFile(true);
        return;
    case ID_PL_APPEND_TO_EXISTING:
        AppendToPlaylistFile();
        return;
    case ID_PL_ADD_FILES:
        AddFiles();
        return;
    case ID_PL_ADD_FOLDER:
        AddFolder();
        return;
    case ID_PL_EDIT_TAG:
        EditTags(this, wnd_, view_->SelectedRows());
        return;
    case ID_PL_RENAME:
        RenameSelectedFiles(this, wnd_, *view_);
        return;
    case ID_PL_DELETE_FILES:
        DeleteSelectedFiles(this, wnd_, *view_, false);
        return;
    case ID_PL_COPY_TO:
    case ID_PL_MOVE_TO:
        TransferSelectedFiles(this, wnd_, *view_, id == ID_PL_MOVE_TO);
        return;
    default:
        view_->OnCommand(id);
        return;
    }
}

void PlaylistWindow::OpenPlaylistFile() {
    const std::string path = ChoosePlaylistToOpen(this, wnd_);
    if (path.empty())
        return;
    view_->OpenPlaylist(path);
    list_->setFocus();
}

void PlaylistWindow::SavePlaylistFile(bool selectedOnly) {
    const std::string path = ChoosePlaylistToSave(this, wnd_);
    if (path.empty())
        return;
    if (!view_->SavePlaylist(path, selectedOnly))
        ShowCannotOpen();
    list_->setFocus();
}

void PlaylistWindow::AppendToPlaylistFile() {
    const std::string path = ChoosePlaylistToOpen(this, wnd_);
    if (path.empty())
        return;
    if (view_->AppendSelectionTo(path) != AppendResult::Done)
        ShowCannotOpen();
}

void PlaylistWindow::AddFiles() {
    const std::vector<std::string> paths = ChooseFilesToOpen(this, wnd_);
    if (paths.empty())
        return;
    view_->AddFiles(paths);
    list_->setFocus();
}

void PlaylistWindow::AddFolder() {
    const std::string folder = ChooseFolderToOpen(this, wnd_);
    if (!folder.empty())
        view_->AddFolder(folder);
}

void PlaylistWindow::ShowCannotOpen() {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("ZEB"),
                    FromUtf8(UiString(wnd_.Language, IDS_CANNOT_OPEN_FILE)), QMessageBox::Ok, this);
    box.exec();
}

// ------------------------------------------------------------------ drops and keys

void PlaylistWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalDroppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void PlaylistWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!LocalDroppedPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void PlaylistWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = LocalDroppedPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    view_->AddDropped(paths);
}

void PlaylistWindow::PassToList(QKeyEvent* event) {
    list_->setFocus(Qt::OtherFocusReason);
    QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(),
                   event->isAutoRepeat(), ushort(event->count()));
    QApplication::sendEvent(list_, &copy);
}

// In the find box the paging and arrow keys belong to the list, and Enter
// plays the first selected row.
bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != find_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Up:
    case Qt::Key_Down:
        PassToList(key);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        view_->ActivateFirstSelected();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace zeb
