#include "resources/MenuTemplates.h"

#include "KnownCommands.h"
#include "resources/ResourceIds.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {
namespace {

using test::Contains;

constexpr int kDanishMenus[] = {IDR_MENU_MAIN, IDR_MENU_CD, IDR_MENU_PLAYLIST,
                                IDR_MENU_PLAYLIST_CONTEXT, IDR_MENU_SKIN};

// Texts that are names and read the same in both languages.
const std::set<std::string_view> kLanguageNeutralTexts = {"CD", "CDDB", "URL..."};

void ForEachItem(const std::vector<MenuItem>& items,
                 const std::function<void(const MenuItem&)>& visit) {
    for (const MenuItem& item : items) {
        visit(item);
        ForEachItem(item.children, visit);
    }
}

std::vector<int> CommandIds(const MenuTemplate& menu) {
    std::vector<int> ids;
    ForEachItem(menu.items, [&](const MenuItem& item) {
        if (item.kind == MenuItemKind::Command) {
            ids.push_back(item.id);
        }
    });
    return ids;
}

// The shape of a menu without its texts: kinds, ids, slots and nesting.
void AppendShape(const std::vector<MenuItem>& items, std::string& shape) {
    for (const MenuItem& item : items) {
        switch (item.kind) {
        case MenuItemKind::Command:
            shape += "C" + std::to_string(item.id) + " ";
            break;
        case MenuItemKind::Separator:
            shape += "- ";
            break;
        case MenuItemKind::Placeholder:
            shape += "? ";
            break;
        case MenuItemKind::Popup:
            shape += "P" + std::to_string(static_cast<int>(item.slot)) + "[ ";
            AppendShape(item.children, shape);
            shape += "] ";
            break;
        }
    }
}

std::string Shape(const MenuTemplate& menu) {
    std::string shape;
    AppendShape(menu.items, shape);
    return shape;
}

// Calls `visit` with the items at the same place in both menus.
void ForEachPair(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b,
                 const std::function<void(const MenuItem&, const MenuItem&)>& visit) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        visit(a[i], b[i]);
        ForEachPair(a[i].children, b[i].children, visit);
    }
}

std::string_view Label(std::string_view text) {
    return text.substr(0, text.find('\t'));
}

std::string_view Shortcut(std::string_view text) {
    const size_t tab = text.find('\t');
    return tab == std::string_view::npos ? std::string_view{} : text.substr(tab + 1);
}

std::vector<int> TopLevelCommands(const MenuTemplate& menu) {
    std::vector<int> ids;
    for (const MenuItem& item : menu.items) {
        if (item.kind == MenuItemKind::Command) {
            ids.push_back(item.id);
        }
    }
    return ids;
}

TEST(MenuTemplates, LanguageSettingChoosesTheMenu) {
    for (int menu : kDanishMenus) {
        EXPECT_EQ(LoadMenuTemplate(0, menu).id, menu);
        for (int language : {1, 2, -1}) {
            EXPECT_EQ(LoadMenuTemplate(language, menu).id, menu + 50) << language;
        }
    }
}

TEST(MenuTemplates, OnlyDanishMenuNumbersCanBeLoaded) {
    for (int id : {0, 100, 106, IDR_MENU_MAIN_RU, 155}) {
        EXPECT_THROW(LoadMenuTemplate(0, id), std::out_of_range) << id;
        EXPECT_THROW(LoadMenuTemplate(1, id), std::out_of_range) << id;
    }
    EXPECT_NE(FindMenuTemplate(IDR_MENU_SKIN_RU), nullptr);
    EXPECT_EQ(FindMenuTemplate(IDD_PROGRESS), nullptr);
}

TEST(MenuTemplates, RussianMenusHaveTheDanishShape) {
    for (int menu : kDanishMenus) {
        EXPECT_EQ(Shape(LoadMenuTemplate(0, menu)), Shape(LoadMenuTemplate(1, menu)))
            << "menu " << menu;
    }
}

TEST(MenuTemplates, RussianTextsAreTranslations) {
    for (int menu : kDanishMenus) {
        ForEachPair(LoadMenuTemplate(0, menu).items, LoadMenuTemplate(1, menu).items,
                    [&](const MenuItem& danish, const MenuItem& russian) {
                        if (danish.kind == MenuItemKind::Separator) {
                            return;
                        }
                        EXPECT_FALSE(russian.text.empty()) << "menu " << menu;
                        if (!kLanguageNeutralTexts.contains(danish.text)) {
                            EXPECT_NE(Label(danish.text), Label(russian.text))
                                << "menu " << menu << " item " << danish.id;
                        }
                        EXPECT_EQ(Shortcut(danish.text), Shortcut(russian.text))
                            << "menu " << menu << " item " << danish.id;
                    });
    }
}

TEST(MenuTemplates, MnemonicsMarkOneFollowingLetter) {
    for (int language : {0, 1}) {
        for (int menu : kDanishMenus) {
            ForEachItem(LoadMenuTemplate(language, menu).items, [&](const MenuItem& item) {
                const std::string_view label = Label(item.text);
                const size_t amp = label.find('&');
                if (amp == std::string_view::npos) {
                    return;
                }
                EXPECT_LT(amp + 1, label.size()) << "trailing '&' in " << label;
                EXPECT_NE(label[amp + 1], ' ') << label;
                EXPECT_EQ(label.find('&', amp + 1), std::string_view::npos)
                    << "two mnemonics in " << label;
            });
        }
    }
}

TEST(MenuTemplates, NoCommandAppearsTwiceInOneMenu) {
    for (int language : {0, 1}) {
        for (int menu : kDanishMenus) {
            std::set<int> seen;
            for (int id : CommandIds(LoadMenuTemplate(language, menu))) {
                EXPECT_TRUE(seen.insert(id).second) << "menu " << menu << " id " << id;
            }
        }
    }
}

TEST(MenuTemplates, CommandsBelongToTheWindowThatShowsTheMenu) {
    for (int language : {0, 1}) {
        for (int menu : {IDR_MENU_MAIN, IDR_MENU_CD}) {
            for (int id : CommandIds(LoadMenuTemplate(language, menu))) {
                EXPECT_TRUE(Contains(test::kMainWindowCommands, id))
                    << "menu " << menu << ": " << id;
            }
        }
        for (int menu : {IDR_MENU_PLAYLIST, IDR_MENU_PLAYLIST_CONTEXT}) {
            for (int id : CommandIds(LoadMenuTemplate(language, menu))) {
                EXPECT_TRUE(Contains(test::kPlaylistWindowCommands, id))
                    << "menu " << menu << ": " << id;
            }
        }
        for (int id : CommandIds(LoadMenuTemplate(language, IDR_MENU_SKIN))) {
            EXPECT_TRUE(Contains(test::kSkinMenuCommands, id)) << id;
        }
    }
}

TEST(MenuTemplates, PlaylistMenuBarOffersEveryPlaylistCommand) {
    for (int language : {0, 1}) {
        const MenuTemplate& bar = LoadMenuTemplate(language, IDR_MENU_PLAYLIST);
        for (int id : test::kPlaylistWindowCommands) {
            EXPECT_NE(FindCommandItem(bar, id), nullptr) << id;
        }
    }
}

TEST(MenuTemplates, ContextMenuRepeatsTheMenuBarItems) {
    for (int language : {0, 1}) {
        const MenuTemplate& bar = LoadMenuTemplate(language, IDR_MENU_PLAYLIST);
        const MenuTemplate& context = LoadMenuTemplate(language, IDR_MENU_PLAYLIST_CONTEXT);
        EXPECT_EQ(CommandIds(context),
                  (std::vector<int>{ID_PL_SELECT_ALL, ID_PL_ADD_FILES, ID_PL_REMOVE, ID_PL_EDIT_TAG,
                                    ID_PL_NEW_FROM_SELECTION, ID_PL_APPEND_TO_EXISTING}));
        for (int id : CommandIds(context)) {
            const MenuItem* inBar = FindCommandItem(bar, id);
            ASSERT_NE(inBar, nullptr) << id;
            EXPECT_EQ(FindCommandItem(context, id)->text, inBar->text) << id;
        }
    }
}

TEST(MenuTemplates, TrayMenusEndWithTheMinibarOnlyItems) {
    // The tray drops the last three items (view popup, separator, follow the
    // active window); the minibar's menu drops the five transport items.
    for (int language : {0, 1}) {
        for (int menu : {IDR_MENU_MAIN, IDR_MENU_CD}) {
            const auto& items = LoadMenuTemplate(language, menu).items;
            ASSERT_GE(items.size(), 3u);
            const MenuItem& view = items[items.size() - 3];
            EXPECT_EQ(view.kind, MenuItemKind::Popup);
            EXPECT_EQ(CommandIds(MenuTemplate{0, view.children}),
                      (std::vector<int>{ID_SHOW_TIME_PLAYED, ID_SHOW_TIME_LEFT, ID_SHOW_TOTAL_TIME,
                                        ID_SHOW_TITLE, ID_SHOW_ARTIST_TITLE, ID_SHOW_FILE_NAME}));
            EXPECT_EQ(items[items.size() - 2].kind, MenuItemKind::Separator);
            EXPECT_EQ(items.back().id, ID_FOLLOW_ACTIVE_WINDOW);

            const std::vector<int> top = TopLevelCommands(LoadMenuTemplate(language, menu));
            const std::vector<int> transport = {ID_PLAY, ID_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT};
            EXPECT_NE(std::search(top.begin(), top.end(), transport.begin(), transport.end()),
                      top.end())
                << "transport items must follow each other in menu " << menu;
        }
    }
}

TEST(MenuTemplates, ExitLeadsTheTrayMenus) {
    // The side bar column break is put on the exit item, the first one.
    for (int language : {0, 1}) {
        for (int menu : {IDR_MENU_MAIN, IDR_MENU_CD}) {
            EXPECT_EQ(LoadMenuTemplate(language, menu).items.front().id, ID_EXIT);
        }
    }
}

TEST(MenuTemplates, FilledPopupsHoldOnePlaceholder) {
    struct Expected {
        int menu;
        MenuSlot slot;
    };
    const Expected expected[] = {
        {IDR_MENU_MAIN, MenuSlot::RecentFiles},   {IDR_MENU_MAIN, MenuSlot::ScanDrive},
        {IDR_MENU_MAIN, MenuSlot::Tracks},        {IDR_MENU_MAIN, MenuSlot::Album},
        {IDR_MENU_CD, MenuSlot::RecentFiles},     {IDR_MENU_CD, MenuSlot::ScanDrive},
        {IDR_MENU_PLAYLIST, MenuSlot::FindTrack},
    };
    for (int language : {0, 1}) {
        for (const Expected& e : expected) {
            const MenuItem* popup = FindSlotPopup(LoadMenuTemplate(language, e.menu), e.slot);
            ASSERT_NE(popup, nullptr) << e.menu << " slot " << static_cast<int>(e.slot);
            ASSERT_EQ(popup->children.size(), 1u);
            EXPECT_EQ(popup->children[0].kind, MenuItemKind::Placeholder);
            EXPECT_TRUE(popup->children[0].grayed);
        }
        EXPECT_EQ(FindSlotPopup(LoadMenuTemplate(language, IDR_MENU_CD), MenuSlot::Tracks),
                  nullptr);
        EXPECT_EQ(FindSlotPopup(LoadMenuTemplate(language, IDR_MENU_CD), MenuSlot::Album), nullptr);
    }
}

TEST(MenuTemplates, CdPopupLeavesRoomForTheDiscLineAtPositionFive) {
    for (int language : {0, 1}) {
        const MenuItem* cd =
            FindSlotPopup(LoadMenuTemplate(language, IDR_MENU_CD), MenuSlot::CdDisc);
        ASSERT_NE(cd, nullptr);
        ASSERT_EQ(cd->children.size(), 5u);
        EXPECT_EQ(CommandIds(MenuTemplate{0, cd->children}),
                  (std::vector<int>{ID_CD_CDDB, ID_CD_PLAYLIST, ID_CD_EJECT, ID_CD_CLOSE_TRAY}));
        EXPECT_EQ(cd->children.back().kind, MenuItemKind::Separator);
    }
}

TEST(MenuTemplates, FindMenuIsTheFourthOfThePlaylistMenuBar) {
    for (int language : {0, 1}) {
        const auto& bar = LoadMenuTemplate(language, IDR_MENU_PLAYLIST).items;
        ASSERT_GE(bar.size(), 4u);
        for (const MenuItem& popup : bar) {
            EXPECT_EQ(popup.kind, MenuItemKind::Popup) << "a menu bar holds only popups";
        }
        EXPECT_EQ(bar[3].slot, MenuSlot::FindTrack);
    }
}

TEST(MenuTemplates, ModeSwitchItemLeadsToTheOtherMode) {
    for (int language : {0, 1}) {
        const MenuTemplate& mp3 = LoadMenuTemplate(language, IDR_MENU_MAIN);
        const MenuTemplate& cd = LoadMenuTemplate(language, IDR_MENU_CD);
        EXPECT_NE(FindCommandItem(mp3, ID_TO_CD_MODE), nullptr);
        EXPECT_EQ(FindCommandItem(mp3, ID_TO_MP3_MODE), nullptr);
        EXPECT_NE(FindCommandItem(cd, ID_TO_MP3_MODE), nullptr);
        EXPECT_EQ(FindCommandItem(cd, ID_TO_CD_MODE), nullptr);
    }
}

TEST(MenuTemplates, QuotedDanishTextsAreExact) {
    const MenuTemplate& main = LoadMenuTemplate(0, IDR_MENU_MAIN);
    EXPECT_EQ(FindCommandItem(main, ID_AUTOMATION_RUN)->text, "Udfør &Nu");
    EXPECT_EQ(FindCommandItem(main, ID_RANDOM_FIRST)->text, "Vælg Første Nummer Tilfældigt");
    EXPECT_EQ(FindCommandItem(main, ID_NEXT)->text, "&Næste");
    const MenuTemplate& playlist = LoadMenuTemplate(0, IDR_MENU_PLAYLIST);
    EXPECT_EQ(FindCommandItem(playlist, ID_PL_OPEN)->text, "&Åben...\tCtrl+O");
    EXPECT_EQ(FindCommandItem(playlist, ID_PL_APPEND_TO_EXISTING)->text,
              "Føj til &eksisterende afspilningsliste...");
    EXPECT_EQ(FindCommandItem(LoadMenuTemplate(0, IDR_MENU_CD), ID_CD_CLOSE_TRAY)->text, "Hiv ind");
    EXPECT_EQ(FindCommandItem(main, ID_CD_EJECT), nullptr);
}

} // namespace
} // namespace zeb
