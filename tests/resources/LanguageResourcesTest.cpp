#include "resources/LanguageResources.h"

#include "resources/ResourceIds.h"

#include <gtest/gtest.h>
#include <set>

namespace zeb {
namespace {

struct DialogPair {
    int danish;
    int russian;
};

constexpr DialogPair kDialogs[] = {
    {IDD_ABOUT, IDD_ABOUT_RU},           {IDD_CD_PLAYLIST, IDD_CD_PLAYLIST_RU},
    {IDD_MP3_INFO, IDD_MP3_INFO_RU},     {IDD_OPEN_URL, IDD_OPEN_URL_RU},
    {IDD_EQUALIZER, IDD_EQUALIZER_RU},   {IDD_HOTKEYS, IDD_HOTKEYS_RU},
    {IDD_PLAYLIST, IDD_PLAYLIST_RU},     {IDD_NAME_ENTRY, IDD_NAME_ENTRY_RU},
    {IDD_RENAME, IDD_RENAME_RU},         {IDD_ADVANCED_SETTINGS, IDD_ADVANCED_SETTINGS_RU},
    {IDD_TAG_EDITOR, IDD_TAG_EDITOR_RU}, {IDD_NOW_PLAYING_FILE, IDD_NOW_PLAYING_FILE_RU},
    {IDD_AUTOMATION, IDD_AUTOMATION_RU},
};

constexpr int kLanguages[] = {0, 1, 2, -1};

TEST(LanguageResources, DanishLanguageKeepsEveryNumber) {
    for (const DialogPair& dialog : kDialogs) {
        EXPECT_EQ(LocalizedResourceId(0, dialog.danish), dialog.danish);
    }
    for (int menu = IDR_MENU_MAIN; menu <= IDR_MENU_SKIN; ++menu) {
        EXPECT_EQ(LocalizedResourceId(0, menu), menu);
    }
}

TEST(LanguageResources, EveryOtherLanguageValueGivesTheRussianTwin) {
    for (int language : kLanguages) {
        if (language == 0) {
            continue;
        }
        for (const DialogPair& dialog : kDialogs) {
            EXPECT_EQ(LocalizedResourceId(language, dialog.danish), dialog.russian)
                << "dialog " << dialog.danish << " language " << language;
        }
        EXPECT_EQ(LocalizedResourceId(language, IDR_MENU_MAIN), IDR_MENU_MAIN_RU);
        EXPECT_EQ(LocalizedResourceId(language, IDR_MENU_CD), IDR_MENU_CD_RU);
        EXPECT_EQ(LocalizedResourceId(language, IDR_MENU_PLAYLIST), IDR_MENU_PLAYLIST_RU);
        EXPECT_EQ(LocalizedResourceId(language, IDR_MENU_PLAYLIST_CONTEXT),
                  IDR_MENU_PLAYLIST_CONTEXT_RU);
        EXPECT_EQ(LocalizedResourceId(language, IDR_MENU_SKIN), IDR_MENU_SKIN_RU);
    }
}

TEST(LanguageResources, SharedDialogsServeBothLanguages) {
    for (int language : kLanguages) {
        EXPECT_EQ(LocalizedResourceId(language, IDD_MINIBAR), IDD_MINIBAR);
        EXPECT_EQ(LocalizedResourceId(language, IDD_PROGRESS), IDD_PROGRESS);
    }
}

TEST(LanguageResources, RussianDialogsNeverReuseADanishNumber) {
    // Dialogs 162..164 sit among the Russian numbers; a mapping slip would
    // load the wrong window.
    std::set<int> danish;
    for (const DialogPair& dialog : kDialogs) {
        danish.insert(dialog.danish);
    }
    danish.insert(IDD_MINIBAR);
    danish.insert(IDD_PROGRESS);
    std::set<int> russian;
    for (const DialogPair& dialog : kDialogs) {
        const int id = LocalizedResourceId(1, dialog.danish);
        EXPECT_FALSE(danish.contains(id)) << id;
        EXPECT_TRUE(russian.insert(id).second) << "two dialogs share " << id;
    }
}

TEST(LanguageResources, UnknownNumbersAreLeftAlone) {
    for (int id : {0, 99, 112, 130, 150, 151, 163, 200}) {
        EXPECT_EQ(LocalizedResourceId(1, id), id) << id;
    }
}

TEST(LanguageResources, StringIdsMoveByOneHundred) {
    EXPECT_EQ(LocalizedStringId(0, 17), 17);
    EXPECT_EQ(LocalizedStringId(1, 17), 117);
    EXPECT_EQ(LocalizedStringId(-3, 40), 140);
}

} // namespace
} // namespace zeb
