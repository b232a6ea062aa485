// The main menu as the tray shows it, built offscreen from the templates
// and the main window's state.
#include "shell/QtMainMenu.h"

#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::QuietHost;

QAction* FindCommand(QMenu* menu, int id) {
    return menu->findChild<QAction*>(QString("cmd-%1").arg(id));
}

QMenu* FindPopup(QMenu* menu, const QString& title) {
    for (QAction* a : menu->actions()) {
        if (a->menu() && a->menu()->title() == title)
            return a->menu();
    }
    return nullptr;
}

class QtMainMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_main_menu_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    std::unique_ptr<QMenu> Build(MenuPlace place = MenuPlace::TrayPoint) {
        return BuildMainMenu(wnd_, place, {"/", "/media/usb & more"},
                             [this](int id) { chosen_.push_back(id); });
    }
    QuietHost host_;
    CMainWnd wnd_{host_, 7u};
    std::vector<int> chosen_;
};

TEST_F(QtMainMenuTest, ItemsFollowTheLanguageAndReportTheirCommand) {
    auto danish = Build();
    ASSERT_NE(FindCommand(danish.get(), ID_EXIT), nullptr);
    EXPECT_EQ(FindCommand(danish.get(), ID_EXIT)->text(), "Afslut");
    FindCommand(danish.get(), ID_PLAY)->trigger();
    EXPECT_EQ(chosen_, std::vector<int>{ID_PLAY});

    wnd_.Language = 1;
    auto russian = Build();
    QString exitText = FindCommand(russian.get(), ID_EXIT)->text();
    EXPECT_NE(exitText, "Afslut");
    EXPECT_FALSE(exitText.isEmpty());
}

TEST_F(QtMainMenuTest, CheckMarksAndGreyedItemsFollowTheState) {
    wnd_.Repeat = 1;
    wnd_.ShuffleMode = 1;
    wnd_.ShowingMode = 2;
    auto menu = Build(MenuPlace::Minibar);
    EXPECT_TRUE(FindCommand(menu.get(), ID_REPEAT_LIST)->isChecked());
    EXPECT_FALSE(FindCommand(menu.get(), ID_REPEAT_TRACK)->isChecked());
    EXPECT_TRUE(FindCommand(menu.get(), ID_SHUFFLE)->isChecked());
    EXPECT_TRUE(FindCommand(menu.get(), ID_SHOW_FILE_NAME)->isChecked());
    EXPECT_FALSE(FindCommand(menu.get(), ID_SHOW_TITLE)->isChecked());
    EXPECT_FALSE(FindCommand(menu.get(), ID_MP3_INFO)->isEnabled()); // empty list

    wnd_.OnCommand(ID_EXIT_AFTER_PLAYBACK);
    auto after = Build();
    EXPECT_FALSE(FindCommand(after.get(), ID_REPEAT_LIST)->isEnabled());
    EXPECT_TRUE(FindCommand(after.get(), ID_EXIT_AFTER_PLAYBACK)->isChecked());
}

TEST_F(QtMainMenuTest, TheTrayMenuDropsTheDisplayTailAndTheMinibarMenuTheTransport) {
    auto tray = Build(MenuPlace::TrayPoint);
    EXPECT_EQ(FindCommand(tray.get(), ID_FOLLOW_ACTIVE_WINDOW), nullptr);
    EXPECT_NE(FindCommand(tray.get(), ID_NEXT), nullptr);
    auto minibar = Build(MenuPlace::Minibar);
    EXPECT_NE(FindCommand(minibar.get(), ID_FOLLOW_ACTIVE_WINDOW), nullptr);
    for (int id : {ID_PLAY, ID_PAUSE, ID_STOP, ID_PREVIOUS, ID_NEXT})
        EXPECT_EQ(FindCommand(minibar.get(), id), nullptr) << id;
}

TEST_F(QtMainMenuTest, RecentAndDriveItemsAreFilledWithAmpersandsShownAsTyped) {
    wnd_.Recent[0] = "/music/Simon & Garfunkel";
    wnd_.Recent[2] = "/a/very/long/folder/name/that/goes/on/and/on/song.mp3";
    auto menu = Build();
    QAction* first = FindCommand(menu.get(), ID_RECENT_FIRST);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), "/music/Simon && Garfunkel");
    EXPECT_EQ(FindCommand(menu.get(), ID_RECENT_FIRST + 1), nullptr); // empty slot
    QAction* longOne = FindCommand(menu.get(), ID_RECENT_FIRST + 2);
    ASSERT_NE(longOne, nullptr);
    EXPECT_TRUE(longOne->text().contains(".....")) << longOne->text().toStdString();
    EXPECT_TRUE(longOne->text().endsWith("/song.mp3"));
    QAction* drive = FindCommand(menu.get(), ID_DRIVE_FIRST + 1);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->text(), "/media/usb && more");
}

TEST_F(QtMainMenuTest, TracksAndAlbumPopupsFollowTheListAndTheirSettings) {
    auto empty = Build();
    EXPECT_EQ(FindPopup(empty.get(), "Numre"), nullptr);
    EXPECT_EQ(FindPopup(empty.get(), "Nuv Album"), nullptr);

    for (const char* p : {"/m/a/1.mp3", "/m/a/2.mp3", "/m/b/3.mp3"})
        wnd_.Model().Append(p);
    wnd_.SetCurrentIndex(1);
    auto menu = Build();
    QMenu* album = FindPopup(menu.get(), "Nuv Album");
    ASSERT_NE(album, nullptr);
    EXPECT_EQ(album->actions().size(), 2); // the folder of the current entry
    ASSERT_NE(album->defaultAction(), nullptr);
    EXPECT_EQ(album->defaultAction()->data().toInt(), TrackCommandId(1));
    QMenu* tracks = FindPopup(menu.get(), "Numre");
    ASSERT_NE(tracks, nullptr);
    EXPECT_NE(FindCommand(tracks, TrackCommandId(2)), nullptr);

    wnd_.SMTracks = 0;
    wnd_.SMAlbum = 0;
    auto without = Build();
    EXPECT_EQ(FindPopup(without.get(), "Numre"), nullptr);
    EXPECT_EQ(FindPopup(without.get(), "Nuv Album"), nullptr);
}

} // namespace
} // namespace zeb
