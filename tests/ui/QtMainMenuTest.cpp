// The main menu as the tray shows it, built offscreen from the templates
// and the main window's state.
#include "ui/QtMainMenu.h"

#include "MenuTestSupport.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"
#include "ui/PopupMenu.h"
#include "ui/SkinImages.h"

#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::MenuRecord;
using test::QuietHost;
using Kind = PopupMenu::ItemKind;

class QtMainMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    std::unique_ptr<PopupMenu> Build(MenuPlace place = MenuPlace::TrayPoint) {
        return BuildMainMenu(wnd_, place, {"/", "/media/usb & more"}, images_);
    }
    void AddEntries(const std::string& folder, int count) {
        for (int i = 0; i < count; ++i)
            wnd_.Model().Append(folder + "/track" + std::to_string(i) + ".mp3");
    }

    QuietHost host_;
    CMainWnd wnd_{host_, 7u};
    SkinImages images_ = BuiltInSkinImages();
};

TEST_F(QtMainMenuTest, ItemsFollowTheLanguageAndReportTheirCommand) {
    auto danish = Build();
    ASSERT_NE(danish->FindItem(ID_EXIT), nullptr);
    EXPECT_EQ(danish->FindItem(ID_EXIT)->text, "Afslut");
    MenuRecord record(*danish);
    danish->Popup(QPoint(400, 300), true);
    QTest::mouseClick(danish.get(), Qt::LeftButton, Qt::NoModifier,
                      danish->ItemRect(ID_PLAY).center());
    EXPECT_EQ(record.triggered, std::vector<int>{ID_PLAY});

    wnd_.Language = 1;
    auto russian = Build();
    QString exitText = russian->FindItem(ID_EXIT)->text;
    EXPECT_NE(exitText, "Afslut");
    EXPECT_FALSE(exitText.isEmpty());
}

TEST_F(QtMainMenuTest, CheckMarksAndGreyedItemsFollowTheState) {
    wnd_.Repeat = 1;
    wnd_.ShuffleMode = 1;
    wnd_.ShowingMode = 2;
    auto menu = Build(MenuPlace::Minibar);
    EXPECT_TRUE(menu->FindItem(ID_REPEAT_LIST)->checked);
    EXPECT_FALSE(menu->FindItem(ID_REPEAT_TRACK)->checked);
    EXPECT_TRUE(menu->FindItem(ID_SHUFFLE)->checked);
    EXPECT_TRUE(menu->FindItem(ID_SHOW_FILE_NAME)->checked);
    EXPECT_FALSE(menu->FindItem(ID_SHOW_TITLE)->checked);
    EXPECT_FALSE(menu->FindItem(ID_MP3_INFO)->enabled); // empty list

    wnd_.OnCommand(ID_EXIT_AFTER_PLAYBACK);
    auto after = Build();
    EXPECT_FALSE(after->FindItem(ID_REPEAT_LIST)->enabled);
    EXPECT_TRUE(after->FindItem(ID_EXIT_AFTER_PLAYBACK)->checked);
}

TEST_F(QtMainMenuTest, TheTrayMenuDropsTheDisplayTailAndTheMinibarMenuTheTransport) {
    auto tray = Build(MenuPlace::TrayPoint);
    EXPECT_EQ(tray->FindItem(ID_FOLLOW_ACTIVE_WINDOW), nullptr);
    EXPECT_EQ(tray->Submenu("Vis"), nullptr);
    EXPECT_NE(tray->FindItem(ID_NEXT), nullptr);
    auto minibar = Build(MenuPlace::Minibar);
    EXPECT_NE(minibar->FindItem(ID_FOLLOW_ACTIVE_WINDOW), nullptr);
    EXPECT_NE(minibar->Submenu("Vis"), nullptr);
    for (int id : {ID_PLAY, ID_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT})
        EXPECT_EQ(minibar->FindItem(id), nullptr) << id;
    // Neither place has a side bar unless it is asked for, and the minibar never.
    wnd_.ShowGradientBar = 1;
    EXPECT_EQ(Build(MenuPlace::Minibar)->FindItem(PopupMenu::kSideBarId), nullptr);
}

TEST_F(QtMainMenuTest, RecentAndDriveItemsAreFilledWithAmpersandsShownAsTyped) {
    wnd_.Recent[0] = "/music/Simon & Garfunkel";
    wnd_.Recent[2] = "/a/very/long/folder/name/that/goes/on/and/on/song.mp3";
    auto menu = Build();
    const PopupMenu::Item* first = menu->FindItem(ID_RECENT_FIRST);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text, "/music/Simon && Garfunkel");
    EXPECT_EQ(PopupMenu::DisplayText(first->text), "/music/Simon & Garfunkel");
    EXPECT_EQ(menu->FindItem(ID_RECENT_FIRST + 1), nullptr); // empty slot
    const PopupMenu::Item* longOne = menu->FindItem(ID_RECENT_FIRST + 2);
    ASSERT_NE(longOne, nullptr);
    EXPECT_TRUE(longOne->text.contains(".....")) << longOne->text.toStdString();
    EXPECT_TRUE(longOne->text.endsWith("/song.mp3"));
    const PopupMenu::Item* drive = menu->FindItem(ID_DRIVE_FIRST + 1);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->text, "/media/usb && more");
    EXPECT_EQ(menu->MenuOf(ID_DRIVE_FIRST), menu->Submenu("Åben")->Submenu("Skan Drev"));
}

TEST_F(QtMainMenuTest, TracksAndAlbumPopupsFollowTheListAndTheirSettings) {
    auto empty = Build();
    EXPECT_EQ(empty->Submenu("Numre"), nullptr);
    EXPECT_EQ(empty->Submenu("Nuv Album"), nullptr);

    for (const char* p : {"/m/a/1.mp3", "/m/a/2.mp3", "/m/b/3.mp3"})
        wnd_.Model().Append(p);
    wnd_.SetCurrentIndex(1);
    auto menu = Build();
    PopupMenu* album = menu->Submenu("Nuv Album");
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(album->Count(), 2); // the folder of the current entry
    EXPECT_FALSE(album->ItemAt(0).isDefault);
    EXPECT_TRUE(album->ItemAt(1).isDefault);
    EXPECT_EQ(album->ItemAt(1).id, TrackCommandId(1));
    PopupMenu* tracks = menu->Submenu("Numre");
    ASSERT_NE(tracks, nullptr);
    EXPECT_NE(tracks->FindItem(TrackCommandId(2)), nullptr);
    // The folder popup that holds the current entry is bold as well.
    const int folderA = 0;
    ASSERT_EQ(tracks->ItemAt(folderA).kind, Kind::Submenu);
    EXPECT_TRUE(tracks->ItemAt(folderA).isDefault);
    EXPECT_FALSE(tracks->ItemAt(folderA + 1).isDefault);

    wnd_.SMTracks = 0;
    wnd_.SMAlbum = 0;
    auto without = Build();
    EXPECT_EQ(without->Submenu("Numre"), nullptr);
    EXPECT_EQ(without->Submenu("Nuv Album"), nullptr);
}

TEST_F(QtMainMenuTest, TransportItemsShowTheSkinButtonsWhenAskedTo) {
    wnd_.GraphicalButtons = 1;
    auto pictures = Build();
    const int kinds[] = {ID_PLAY, ID_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT};
    for (int i = 0; i < 5; ++i) {
        const PopupMenu::Item* item = pictures->FindItem(kinds[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->kind, Kind::Picture);
        EXPECT_EQ(item->picture.toImage(), images_.Button(i, false).toImage());
        EXPECT_EQ(item->selectedPicture.toImage(), images_.Button(i, true).toImage());
        EXPECT_EQ(pictures->ItemRect(kinds[i]).height(), PopupMenu::kPictureHeight);
    }
    // The text stays for the mnemonic: "&Næste".
    MenuRecord record(*pictures);
    pictures->Popup(QPoint(300, 300), false);
    QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, "N");
    QApplication::sendEvent(pictures.get(), &key);
    EXPECT_EQ(record.triggered, std::vector<int>{ID_NEXT});

    wnd_.GraphicalButtons = 0;
    auto text = Build();
    EXPECT_EQ(text->FindItem(ID_PLAY)->kind, Kind::Command);
    EXPECT_EQ(text->FindItem(ID_PLAY)->text, "&Afspil");
}

TEST_F(QtMainMenuTest, TheSideBarFormsTheLeftColumn) {
    wnd_.ShowGradientBar = 0;
    auto plain = Build();
    EXPECT_EQ(plain->ColumnCount(), 1);
    EXPECT_EQ(plain->FindItem(PopupMenu::kSideBarId), nullptr);

    wnd_.ShowGradientBar = 1;
    auto menu = Build();
    ASSERT_EQ(menu->ItemAt(0).kind, Kind::SideBar);
    EXPECT_EQ(menu->ItemAt(0).id, PopupMenu::kSideBarId);
    EXPECT_EQ(menu->ItemAt(0).picture.toImage(), images_.sideBar.toImage());
    EXPECT_EQ(menu->ItemAt(1).id, ID_EXIT);
    EXPECT_EQ(menu->ItemAt(1).text, "Afslut");
    EXPECT_TRUE(menu->ItemAt(1).columnBreak);
    ASSERT_EQ(menu->ColumnCount(), 2);
    for (int i = 1; i < menu->Count(); ++i)
        EXPECT_EQ(menu->ColumnOf(i), 1) << i;
    EXPECT_EQ(menu->ItemRect(PopupMenu::kSideBarId).bottom(),
              menu->ItemRectAt(menu->Count() - 1).bottom());
}

TEST_F(QtMainMenuTest, TrackMenusBreakIntoColumnsOfTpcItems) {
    EXPECT_EQ(BuildTracksMenu(wnd_, true), nullptr);
    EXPECT_EQ(BuildTracksMenu(wnd_, false), nullptr);

    AddEntries("/music/album", 75);
    wnd_.SetCurrentIndex(40);
    wnd_.TPC = 30;
    auto album = BuildTracksMenu(wnd_, true);
    ASSERT_NE(album, nullptr);
    ASSERT_EQ(album->Count(), 75);
    EXPECT_EQ(album->ColumnCount(), 3);
    EXPECT_EQ(album->ColumnOf(29), 0);
    EXPECT_EQ(album->ColumnOf(30), 1);
    EXPECT_EQ(album->ColumnOf(60), 2);
    EXPECT_EQ(album->ItemRectAt(30).top(), album->ItemRectAt(0).top());
    EXPECT_GT(album->ItemRectAt(60).left(), album->ItemRectAt(30).right());
    EXPECT_TRUE(album->ItemAt(40).isDefault);
    // The current track's item is chosen like any other.
    MenuRecord record(*album);
    album->Popup(QPoint(790, 590), true);
    QTest::mouseClick(album.get(), Qt::LeftButton, Qt::NoModifier, album->ItemRectAt(40).center());
    EXPECT_EQ(record.triggered, std::vector<int>{TrackCommandId(40)});

    wnd_.TPC = 0;
    auto single = BuildTracksMenu(wnd_, false);
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(single->ColumnCount(), 1);
    EXPECT_NE(single->FindItem(TrackCommandId(74)), nullptr);
}

} // namespace
} // namespace zeb
