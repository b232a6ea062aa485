#include "ui/QtMainMenu.h"

#include "resources/MenuTemplates.h"
#include "resources/ResourceIds.h"
#include "shell/CdController.h"
#include "shell/MainWnd.h"
#include "shell/MenuModel.h"
#include "ui/PopupMenu.h"
#include "ui/SkinImages.h"

#include <algorithm>

namespace zeb {

namespace {

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Check marks that depend on the settings rather than on the player's state.
bool DisplayCheck(const CMainWnd& wnd, int id, bool checked) {
    switch (id) {
    case ID_SHOW_TIME_PLAYED:
        return wnd.ShowRemainingTime == 0;
    case ID_SHOW_TIME_LEFT:
        return wnd.ShowRemainingTime == 1;
    case ID_SHOW_TOTAL_TIME:
        return wnd.ShowTTT == 1;
    case ID_SHOW_TITLE:
        return wnd.ShowingMode != 1 && wnd.ShowingMode != 2;
    case ID_SHOW_ARTIST_TITLE:
        return wnd.ShowingMode == 1;
    case ID_SHOW_FILE_NAME:
        return wnd.ShowingMode == 2;
    case ID_FOLLOW_ACTIVE_WINDOW:
        return wnd.DockMinibar == 1;
    default:
        return checked;
    }
}

// The button of a transport command in the skin's strips (0 Play .. 4 Next), or -1.
int TransportButton(int id) {
    static constexpr int kOrder[] = {ID_PLAY, ID_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT};
    const auto* it = std::find(std::begin(kOrder), std::end(kOrder), id);
    return it == std::end(kOrder) ? -1 : int(it - std::begin(kOrder));
}

class MenuFiller {
public:
    MenuFiller(const CMainWnd& wnd, const std::vector<std::string>& volumes,
               const CdDiscMenu* disc = nullptr)
        : wnd_(wnd), volumes_(volumes), disc_(disc) {}

    // A command item with the main window's state for it.
    PopupMenu::Item Command(int id, const QString& text) const {
        const CMainWnd::MenuItemState state = wnd_.ItemState(id);
        PopupMenu::Item item;
        item.id = id;
        item.text = text;
        item.checked = DisplayCheck(wnd_, id, state.checked);
        item.enabled = !state.grayed && !NeedsAudioTrack(id);
        return item;
    }

    void AddNodes(PopupMenu* menu, const std::vector<MenuNode>& nodes) const {
        for (const MenuNode& node : nodes) {
            PopupMenu::Item item;
            if (node.kind == MenuItemKind::Popup) {
                item.kind = PopupMenu::ItemKind::Submenu;
                item.text = Text(node.label);
                item.submenu = new PopupMenu(menu);
                AddNodes(item.submenu, node.children);
            } else if (node.kind == MenuItemKind::Separator) {
                item.kind = PopupMenu::ItemKind::Separator;
            } else {
                item = Command(node.id, Text(node.label));
            }
            item.isDefault = node.isDefault;
            item.columnBreak = node.columnBreak;
            menu->AddItem(std::move(item));
        }
    }

    // Adds the items of a template popup; false when the popup is left out.
    bool FillSlot(PopupMenu* menu, const MenuItem& from) const {
        switch (from.slot) {
        case MenuSlot::CdDisc:
            FillDiscPopup(menu, from.children);
            return true;
        case MenuSlot::RecentFiles:
            for (size_t i = 0; i < wnd_.Recent.size(); ++i) {
                if (!wnd_.Recent[i].empty())
                    menu->AddItem(
                        Command(RecentCommandId(int(i)), Text(RecentLabel(wnd_.Recent[i]))));
            }
            return true;
        case MenuSlot::ScanDrive:
            for (size_t i = 0; i < volumes_.size() && ID_DRIVE_FIRST + int(i) <= ID_DRIVE_LAST;
                 ++i) {
                QString label = Text(volumes_[i]).replace("&", "&&");
                menu->AddItem(Command(ID_DRIVE_FIRST + int(i), label));
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

    // A template item as a menu item; false when it is left out.
    bool Convert(PopupMenu* menu, const MenuItem& from, PopupMenu::Item& to) const {
        switch (from.kind) {
        case MenuItemKind::Separator:
            to.kind = PopupMenu::ItemKind::Separator;
            return true;
        case MenuItemKind::Command:
            to = Command(from.id, Text(from.text));
            return true;
        case MenuItemKind::Popup: {
            auto sub = std::make_unique<PopupMenu>(menu);
            if (from.slot == MenuSlot::None)
                AddItems(sub.get(), from.children);
            else if (!FillSlot(sub.get(), from))
                return false;
            to.kind = PopupMenu::ItemKind::Submenu;
            to.text = Text(from.text);
            to.submenu = sub.release();
            return true;
        }
        case MenuItemKind::Placeholder:
            break;
        }
        return false;
    }

    void AddItems(PopupMenu* menu, const std::vector<MenuItem>& items) const {
        for (const MenuItem& from : items) {
            PopupMenu::Item item;
            if (Convert(menu, from, item))
                menu->AddItem(std::move(item));
        }
    }

private:
    bool HasMenuEntries() const { return wnd_.Count() >= 1 && wnd_.Count() <= kMaxMenuEntries; }

    // The CD lookup and the playlist dialog need a disc with an audio track.
    bool NeedsAudioTrack(int id) const {
        return disc_ && !disc_->hasAudio && (id == ID_CD_CDDB || id == ID_CD_PLAYLIST);
    }

    // The CD commands, then the disc line and its tracks behind the
    // template's separator; a disc with nothing to list drops the separator.
    void FillDiscPopup(PopupMenu* menu, const std::vector<MenuItem>& commands) const {
        const bool listed = disc_ && disc_->listed;
        for (const MenuItem& from : commands) {
            PopupMenu::Item item;
            if ((listed || from.kind != MenuItemKind::Separator) && Convert(menu, from, item))
                menu->AddItem(std::move(item));
        }
        if (listed)
            AddNodes(menu, disc_->items);
    }

    const CMainWnd& wnd_;
    const std::vector<std::string>& volumes_;
    const CdDiscMenu* disc_;
};

std::unique_ptr<PopupMenu> BuildMenuFrom(const CMainWnd& wnd, int templateId,
                                         const CdDiscMenu* disc, MenuPlace place,
                                         const std::vector<std::string>& volumes,
                                         const SkinImages& images);

} // namespace

std::unique_ptr<PopupMenu> BuildMainMenu(const CMainWnd& wnd, MenuPlace place,
                                         const std::vector<std::string>& volumes,
                                         const SkinImages& images) {
    return BuildMenuFrom(wnd, IDR_MENU_MAIN, nullptr, place, volumes, images);
}

std::unique_ptr<PopupMenu> BuildCdMenu(const CMainWnd& wnd, const CdDiscMenu& disc, MenuPlace place,
                                       const std::vector<std::string>& volumes,
                                       const SkinImages& images) {
    return BuildMenuFrom(wnd, IDR_MENU_CD, &disc, place, volumes, images);
}

// The disc line on top, then the tracks; nothing for a disc without tracks.
std::unique_ptr<PopupMenu> BuildCdTracksMenu(const CMainWnd& wnd, const CdDiscMenu& disc) {
    if (!disc.listed)
        return nullptr;
    auto menu = std::make_unique<PopupMenu>();
    menu->SetRightButtonTracking(true);
    const std::vector<std::string> noVolumes;
    MenuFiller(wnd, noVolumes, &disc).AddNodes(menu.get(), disc.items);
    return menu;
}

namespace {

std::unique_ptr<PopupMenu> BuildMenuFrom(const CMainWnd& wnd, int templateId,
                                         const CdDiscMenu* disc, MenuPlace place,
                                         const std::vector<std::string>& volumes,
                                         const SkinImages& images) {
    const std::vector<MenuItem>& all = LoadMenuTemplate(wnd.Language, templateId).items;
    const bool tray = place != MenuPlace::Minibar;
    // The minibar's menu has no transport items; the tray's ends before the
    // display items, which only the minibar's menu shows.
    std::vector<const MenuItem*> top;
    const size_t end = tray ? all.size() - std::min<size_t>(3, all.size()) : all.size();
    for (size_t i = 0; i < end; ++i) {
        if (tray || TransportButton(all[i].id) < 0 || all[i].kind != MenuItemKind::Command)
            top.push_back(&all[i]);
    }

    auto menu = std::make_unique<PopupMenu>();
    menu->SetRightButtonTracking(true);
    const bool sideBar = tray && wnd.ShowGradientBar == 1;
    if (sideBar)
        menu->AddSideBar(images.sideBar);
    MenuFiller filler(wnd, volumes, disc);
    for (const MenuItem* from : top) {
        PopupMenu::Item item;
        if (!filler.Convert(menu.get(), *from, item))
            continue;
        const int button = from->kind == MenuItemKind::Command ? TransportButton(from->id) : -1;
        if (tray && wnd.GraphicalButtons == 1 && button >= 0) {
            item.kind = PopupMenu::ItemKind::Picture;
            item.picture = images.Button(button, false);
            item.selectedPicture = images.Button(button, true);
        }
        // The side bar's column ends where the menu's own items begin.
        item.columnBreak = sideBar && from->kind == MenuItemKind::Command && from->id == ID_EXIT;
        menu->AddItem(std::move(item));
    }
    return menu;
}

} // namespace

std::unique_ptr<PopupMenu> BuildTracksMenu(const CMainWnd& wnd, bool album) {
    if (wnd.Count() < 1 || wnd.Count() > kMaxMenuEntries)
        return nullptr;
    auto menu = std::make_unique<PopupMenu>();
    menu->SetRightButtonTracking(true);
    const std::vector<std::string> noVolumes;
    MenuFiller(wnd, noVolumes)
        .AddNodes(menu.get(), album ? BuildAlbumMenu(wnd) : BuildTracksTree(wnd));
    return menu;
}

} // namespace zeb
