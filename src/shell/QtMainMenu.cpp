#include "shell/QtMainMenu.h"

#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "shell/MenuModel.h"

#include <QAction>
#include <QMenu>

namespace zeb {

namespace {

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Check marks and greyed states that depend on the settings rather than on
// the player's state.
void ApplyDisplayState(const CMainWnd& wnd, int id, QAction* action) {
    auto check = [&](bool on) {
        action->setCheckable(true);
        action->setChecked(on);
    };
    switch (id) {
    case ID_SHOW_TIME_PLAYED:
        check(wnd.ShowRemainingTime == 0);
        break;
    case ID_SHOW_TIME_LEFT:
        check(wnd.ShowRemainingTime == 1);
        break;
    case ID_SHOW_TOTAL_TIME:
        check(wnd.ShowTTT == 1);
        break;
    case ID_SHOW_TITLE:
        check(wnd.ShowingMode != 1 && wnd.ShowingMode != 2);
        break;
    case ID_SHOW_ARTIST_TITLE:
        check(wnd.ShowingMode == 1);
        break;
    case ID_SHOW_FILE_NAME:
        check(wnd.ShowingMode == 2);
        break;
    case ID_FOLLOW_ACTIVE_WINDOW:
        check(wnd.DockMinibar == 1);
        break;
    default:
        break;
    }
}

class MenuFiller {
public:
    MenuFiller(const CMainWnd& wnd, const std::vector<std::string>& volumes,
               const std::function<void(int)>& onCommand)
        : wnd_(wnd), volumes_(volumes), onCommand_(onCommand) {}

    void AddCommand(QMenu* menu, int id, const QString& text, bool isDefault = false) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        action->setObjectName(QString("cmd-%1").arg(id));
        CMainWnd::MenuItemState state = wnd_.ItemState(id);
        if (state.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        action->setEnabled(!state.grayed);
        ApplyDisplayState(wnd_, id, action);
        if (isDefault)
            menu->setDefaultAction(action);
        auto onCommand = onCommand_;
        QObject::connect(action, &QAction::triggered, [onCommand, id] {
            if (onCommand)
                onCommand(id);
        });
    }

    void AddNodes(QMenu* menu, const std::vector<MenuNode>& nodes) {
        for (const MenuNode& node : nodes) {
            if (node.kind == MenuItemKind::Popup) {
                QMenu* sub = menu->addMenu(Text(node.label));
                if (node.isDefault) {
                    QFont bold = sub->menuAction()->font();
                    bold.setBold(true);
                    sub->menuAction()->setFont(bold);
                }
                AddNodes(sub, node.children);
            } else {
                AddCommand(menu, node.id, Text(node.label), node.isDefault);
            }
        }
    }

    // Adds the items of a template popup; false when the popup is left out.
    bool FillSlot(QMenu* menu, MenuSlot slot) {
        switch (slot) {
        case MenuSlot::RecentFiles:
            for (size_t i = 0; i < wnd_.Recent.size(); ++i) {
                if (!wnd_.Recent[i].empty())
                    AddCommand(menu, RecentCommandId(int(i)), Text(RecentLabel(wnd_.Recent[i])));
            }
            return true;
        case MenuSlot::ScanDrive:
            for (size_t i = 0; i < volumes_.size() && ID_DRIVE_FIRST + int(i) <= ID_DRIVE_LAST;
                 ++i) {
                QString label = Text(volumes_[i]).replace("&", "&&");
                AddCommand(menu, ID_DRIVE_FIRST + int(i), label);
            }
            return true;
        case MenuSlot::Tracks:
            if (!HasMenuEntries() || wnd_.SMTracks != 1)
                return false;
            AddNodes(menu, BuildTracksTree(wnd_));
            return true;
        case MenuSlot::Album:
            if (!HasMenuEntries() || wnd_.SMAlbum != 1)
                return false;
            AddNodes(menu, BuildAlbumMenu(wnd_));
            return true;
        default:
            return true;
        }
    }

    void AddItems(QMenu* menu, const std::vector<MenuItem>& items) {
        for (const MenuItem& item : items) {
            switch (item.kind) {
            case MenuItemKind::Separator:
                menu->addSeparator();
                break;
            case MenuItemKind::Command:
                AddCommand(menu, item.id, Text(item.text));
                break;
            case MenuItemKind::Popup: {
                auto sub = std::make_unique<QMenu>(Text(item.text), menu);
                bool keep = true;
                if (item.slot == MenuSlot::None)
                    AddItems(sub.get(), item.children);
                else
                    keep = FillSlot(sub.get(), item.slot);
                if (keep)
                    menu->addMenu(sub.release());
                break;
            }
            case MenuItemKind::Placeholder:
                break;
            }
        }
    }

private:
    bool HasMenuEntries() const { return wnd_.Count() >= 1 && wnd_.Count() <= kMaxMenuEntries; }

    const CMainWnd& wnd_;
    const std::vector<std::string>& volumes_;
    const std::function<void(int)>& onCommand_;
};

bool IsTransport(int id) {
    return id == ID_PLAY || id == ID_PAUSE || id == ID_STOP || id == ID_PREVIOUS || id == ID_NEXT;
}

// Takes an item out of the menu for good, with the popup it opens.
void DeleteItem(QMenu* menu, QAction* action) {
    menu->removeAction(action);
    if (QMenu* sub = action->menu(); sub && sub->parent() == menu)
        delete sub; // owns its menu action
    else
        delete action;
}

// Removes the transport items (minibar menu) or the display tail: the last
// three items, which only the minibar's menu shows.
void TrimForPlace(QMenu* menu, MenuPlace place) {
    QList<QAction*> actions = menu->actions();
    if (place == MenuPlace::Minibar) {
        for (QAction* a : actions) {
            if (IsTransport(a->data().toInt()))
                DeleteItem(menu, a);
        }
        return;
    }
    for (int i = 0; i < 3 && !actions.isEmpty(); ++i)
        DeleteItem(menu, actions.takeLast());
}

} // namespace

std::unique_ptr<QMenu> BuildMainMenu(const CMainWnd& wnd, MenuPlace place,
                                     const std::vector<std::string>& volumes,
                                     const std::function<void(int)>& onCommand) {
    auto menu = std::make_unique<QMenu>();
    MenuFiller filler(wnd, volumes, onCommand);
    filler.AddItems(menu.get(), LoadMenuTemplate(wnd.Language, IDR_MENU_MAIN).items);
    TrimForPlace(menu.get(), place);
    return menu;
}

} // namespace zeb
