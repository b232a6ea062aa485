// The MP3 information window offscreen over real files: what a refresh reads
// again and what it leaves, addresses, the tag editor behind "Rediger Tag",
// placement in the work area, always-on-top and the stored position.
#include "ui/Mp3InfoWindow.h"

#include "ModalDriver.h"
#include "playlist/Id3v1Tag.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"
#include "ui/DialogControls.h"
#include "ui/TagEditorDialog.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace zeb {
namespace {

class Mp3InfoWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    Mp3InfoWindow* Open() {
        window_ = new Mp3InfoWindow(wnd_);
        return window_;
    }
    std::string Shown(int id) const {
        auto* edit = FindControl<QLineEdit>(window_, id);
        return edit ? edit->text().toStdString() : "<missing " + std::to_string(id) + ">";
    }
    void TearDown() override { delete window_; }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 1u};
    QPointer<Mp3InfoWindow> window_;
};

TEST_F(Mp3InfoWindowTest, RefreshReadsTheTagOnlyForANewPathOrWhenMarked) {
    const std::string path = test::CopyFixture(dir_, "My_Song.mp3", "id3v1.mp3");
    wnd_.Model().Append(path);
    Open()->RefreshMp3Info("128@44100@Joint-stereo");
    EXPECT_EQ(Shown(IDC_INFO_FILE_NAME), path);
    EXPECT_EQ(Shown(IDC_INFO_BITRATE), "128");
    EXPECT_EQ(Shown(IDC_INFO_FREQUENCY), "44100");
    EXPECT_EQ(Shown(IDC_INFO_TYPE), "Joint-stereo");
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "Fixture Title");
    EXPECT_EQ(Shown(IDC_INFO_ARTIST), "Fixture Artist");
    EXPECT_EQ(Shown(IDC_INFO_YEAR), "1999");
    EXPECT_EQ(Shown(IDC_INFO_GENRE), "Rock");

    // The same path: new stream values, the tag as it was shown.
    Id3v1Tag changed = *ReadId3v1(path);
    changed.title = "Changed";
    changed.genre = 200;
    ASSERT_TRUE(WriteId3v1(path, changed));
    window_->RefreshMp3Info("160@48000@Stereo");
    EXPECT_EQ(Shown(IDC_INFO_BITRATE), "160");
    EXPECT_EQ(Shown(IDC_INFO_TYPE), "Stereo");
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "Fixture Title");

    window_->MarkForReread();
    window_->RefreshMp3Info("160@48000@Stereo");
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "Changed");
    EXPECT_EQ(Shown(IDC_INFO_GENRE), ""); // 200 is no listed genre

    // Without a tag: the file name without ".mp3", '_' as a space.
    ASSERT_TRUE(RemoveId3v1(path));
    window_->MarkForReread();
    window_->RefreshMp3Info("160@48000@Stereo");
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "My Song");
    EXPECT_EQ(Shown(IDC_INFO_ARTIST), "");

    // An address: the last part of it, cut to 30 characters, as it is.
    const std::string address = "http://example.org/music/A_Rather_Long_Name_Of_A_Stream_Song.MP3";
    wnd_.Model().Append(address);
    wnd_.SetCurrentIndex(1);
    window_->RefreshMp3Info("");
    EXPECT_EQ(Shown(IDC_INFO_FILE_NAME), address);
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "A_Rather_Long_Name_Of_A_Stream");
    EXPECT_EQ(Shown(IDC_INFO_BITRATE), "");
}

TEST_F(Mp3InfoWindowTest, EditTagButtonEditsTheCurrentFileAndTheWindowShowsTheNewTag) {
    const std::string path = test::CopyFixture(dir_, "song.mp3", "id3v1.mp3");
    wnd_.Model().Append(path);
    wnd_.SetCurrentTitles(path);
    Open()->RefreshMp3Info("128@44100@Joint-stereo");

    auto driver = test::ModalDriver::For<TagEditorDialog>([path](TagEditorDialog* d) {
        EXPECT_EQ(FindControl<QLineEdit>(d, IDC_TAG_FILE_NAME)->text().toStdString(), path);
        QLineEdit* title = FindControl<QLineEdit>(d, IDC_TAG_TITLE);
        EXPECT_EQ(title->text(), "Fixture Title");
        title->selectAll();
        QTest::keyClicks(title, "Edited");
        QTest::mouseClick(FindControl<QPushButton>(d, IDOK), Qt::LeftButton);
    });
    QTest::mouseClick(FindControl<QPushButton>(window_, IDC_INFO_EDIT_TAG), Qt::LeftButton);

    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(ReadId3v1(path)->title, "Edited");
    EXPECT_EQ(Shown(IDC_INFO_TITLE), "Edited");
    EXPECT_EQ(Shown(IDC_INFO_BITRATE), "128");
    EXPECT_EQ(wnd_.Title(), "Edited");
    EXPECT_NE(wnd_.Model().InfoAt(0).find("Edited"), std::string::npos);
}

TEST_F(Mp3InfoWindowTest, PlacementOnTopAndThePositionStoredOnClosing) {
    const QRect area(100, 50, 1000, 800);
    EXPECT_EQ(Mp3InfoWindow::PlaceInArea(-1000, -1000, QSize(200, 100), area), QPoint(500, 400));
    EXPECT_EQ(Mp3InfoWindow::PlaceInArea(-20, 900, QSize(200, 100), area), QPoint(100, 750));
    EXPECT_EQ(Mp3InfoWindow::PlaceInArea(1050, 60, QSize(200, 100), area), QPoint(900, 60));

    wnd_.Model().Append(test::CopyFixture(dir_, "song.mp3", "cbr128.mp3"));
    wnd_.InfoX = 40;
    wnd_.InfoY = 30;
    wnd_.InfoOnTop = 0;
    Open()->show();
    EXPECT_FALSE(window_->isModal());
    EXPECT_FALSE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // "Altid øverst" from the context menu of the window's background.
    bool chosen = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        poll.stop();
        auto* item = menu->findChild<QAction*>(ControlObjectName(ID_ALWAYS_ON_TOP));
        chosen = item && !item->isChecked() && item->text() == "&Altid øverst";
        if (chosen)
            item->trigger();
        menu->close();
    });
    poll.start();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2),
                            window_->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(window_, &click);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(wnd_.InfoOnTop, 1);
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(window_->windowFlags() & Qt::WindowType_Mask, Qt::Tool);

    window_->move(window_->pos() + QPoint(17, 9));
    const QPoint at = window_->pos();
    QTest::keyClick(window_, Qt::Key_Escape);
    EXPECT_EQ(wnd_.InfoX, at.x());
    EXPECT_EQ(wnd_.InfoY, at.y());
    EXPECT_FALSE(window_ && window_->isVisible());
}

} // namespace
} // namespace zeb
