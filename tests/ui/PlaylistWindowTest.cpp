// The playlist window offscreen over a real main window: the find box, mouse
// selection and dragging, the Delete key, the title, the menus, where it
// opens, and a very long list that paints only the rows in sight.
#include "ui/PlaylistWindow.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"
#include "ui/DialogControls.h"
#include "ui/PlaylistList.h"
#include "ui/TemplateMenu.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace zeb {
namespace {

constexpr int kRows = 40;

class PlaylistWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        wnd_.AutoPlay = 0;
        // Real encoded files; their info lines are built from the files.
        for (int i = 0; i < kRows; ++i) {
            const std::string name =
                i == 17 ? "Band_-_Love_Song" : "Band_-_Track_" + std::to_string(i);
            const std::string path = test::CopyFixture(dir_, "music/" + name + ".mp3");
            wnd_.Model().Append(path);
            wnd_.Model().SetInfoAt(i, wnd_.Model().BuildInfoLine(path));
        }
    }

    // Opens the window small enough that the list scrolls.
    PlaylistWindow& Open() {
        wnd_.PlaylistW = 420;
        wnd_.PlaylistH = 300;
        window_ = std::make_unique<PlaylistWindow>(wnd_);
        window_->setAttribute(Qt::WA_DeleteOnClose, false);
        window_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get(), 30000));
        return *window_;
    }

    PlaylistList& List() { return *window_->List(); }
    PlaylistView& View() { return window_->View(); }

    QPoint RowPoint(int row) {
        EXPECT_GE(row, View().TopRow()) << "row " << row << " is out of sight";
        const int height = List().RowHeight();
        return QPoint(30, (row - View().TopRow()) * height + height / 2);
    }

    void Click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(List().viewport(), Qt::LeftButton, modifiers, RowPoint(row));
    }

    std::vector<int> Selected() { return View().SelectedRows(); }

    // Runs the event loop until `done` holds, for at most 30 seconds.
    static bool WaitFor(const std::function<bool()>& done) {
        QDeadlineTimer limit(30000);
        while (!done() && !limit.hasExpired())
            QTest::qWait(10);
        return done();
    }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 1};
    std::unique_ptr<PlaylistWindow> window_;
};

TEST_F(PlaylistWindowTest, FindBoxSelectsAndScrollsTheRowAndLettersInTheListGoThere) {
    PlaylistWindow& window = Open();
    QLineEdit* find = FindControl<QLineEdit>(&window, IDC_PL_FIND);
    ASSERT_NE(find, nullptr);

    QTest::keyClicks(find, "30");
    EXPECT_EQ(Selected(), std::vector<int>{29});
    EXPECT_EQ(View().Caret(), 29);
    EXPECT_EQ(List().verticalScrollBar()->value(), View().TopRow());
    EXPECT_LE(View().TopRow(), 29);
    EXPECT_GT(View().TopRow(), 0) << "the found row is scrolled into sight";

    // A letter typed in the list continues the search in the find box.
    find->clear();
    List().setFocus();
    QTest::keyClicks(&List(), "LOVE");
    EXPECT_EQ(find->text(), "LOVE");
    EXPECT_EQ(Selected(), std::vector<int>{17});

    // The status line shows the path of the first selected row.
    auto* status = FindControl<QLineEdit>(&window, IDC_PL_STATUS);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text().toStdString(), wnd_.Model().PathAt(17));

    // The arrow keys in the find box move the caret in the list.
    QTest::keyClick(find, Qt::Key_Down);
    EXPECT_EQ(Selected(), std::vector<int>{18});
}

TEST_F(PlaylistWindowTest, ClicksSelectAndTheTitleAddsUpTheSelection) {
    PlaylistWindow& window = Open();
    EXPECT_EQ(Selected(), (std::vector<int>{0})) << "the current entry is selected on opening";
    Click(0, Qt::ControlModifier);
    ASSERT_TRUE(Selected().empty());
    const QString prefix = FromUtf8(UiString(0, IDS_PLAYLIST_TITLE));
    ASSERT_TRUE(window.windowTitle().startsWith(prefix + "00:00 / "));
    EXPECT_NE(window.windowTitle(), prefix + "00:00 / 00:00") << "the entries have lengths";

    Click(2);
    EXPECT_EQ(Selected(), (std::vector<int>{2}));
    Click(5, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 3, 4, 5}));
    Click(3, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<int>{2, 4, 5}));

    // Ctrl+A selects every row; then both sums are the same.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window, 30000));
    QTest::keyClick(&List(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_EQ(int(Selected().size()), kRows);
    const QStringList sums = window.windowTitle().mid(prefix.size()).split(" / ");
    ASSERT_EQ(sums.size(), 2);
    EXPECT_EQ(sums[0], sums[1]);
}

TEST_F(PlaylistWindowTest, DraggingMovesTheSelectedRowsAndDeleteRemovesThem) {
    Open();
    const std::string dragged = wnd_.Model().PathAt(1);
    Click(1);
    QWidget* viewport = List().viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, RowPoint(1));
    for (int row = 2; row <= 4; ++row) {
        QMouseEvent move(QEvent::MouseMove, RowPoint(row), viewport->mapToGlobal(RowPoint(row)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, RowPoint(4));
    EXPECT_EQ(wnd_.Model().PathAt(4), dragged);
    EXPECT_EQ(Selected(), std::vector<int>{4});
    EXPECT_EQ(wnd_.Count(), kRows);

    // Held near the bottom edge, the drag goes on by itself to the last row.
    Click(0);
    const std::string first = wnd_.Model().PathAt(0);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, RowPoint(0));
    const QPoint nearBottom(30, viewport->height() - 3);
    QMouseEvent hold(QEvent::MouseMove, nearBottom, viewport->mapToGlobal(nearBottom), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &hold);
    EXPECT_TRUE(WaitFor([&] { return wnd_.Model().PathAt(kRows - 1) == first; }));
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, nearBottom);
    EXPECT_EQ(List().verticalScrollBar()->value() + List().verticalScrollBar()->pageStep(), kRows)
        << "the list scrolled with the dragged row";

    QTest::keyClick(&List(), Qt::Key_Home);
    Click(4);
    Click(6, Qt::ShiftModifier);
    const std::string kept = wnd_.Model().PathAt(7);
    QTest::keyClick(&List(), Qt::Key_Delete);
    EXPECT_EQ(wnd_.Count(), kRows - 3);
    EXPECT_EQ(wnd_.Model().PathAt(4), kept);
    EXPECT_EQ(List().verticalScrollBar()->maximum() + List().verticalScrollBar()->pageStep(),
              kRows - 3)
        << "the scroll range follows the count";
}

TEST_F(PlaylistWindowTest, MenusFollowTheListAndFindTrackAndAlwaysOnTopWork) {
    wnd_.Model().Append(test::CopyFixture(dir_, "other/Band_-_Elsewhere.mp3"));
    PlaylistWindow& window = Open();
    // The find-track menu holds the tracks tree, filled anew each time it
    // opens; an item selects its row.
    QMenu* findTrack = nullptr;
    for (QAction* action : window.MenuBar()->actions()) {
        if (SlotOfMenu(action->menu()) == MenuSlot::FindTrack)
            findTrack = action->menu();
    }
    ASSERT_NE(findTrack, nullptr);
    emit findTrack->aboutToShow();
    const qsizetype popups = findTrack->findChildren<QMenu*>().size();
    EXPECT_GT(popups, 0) << "two folders give folder popups";
    emit findTrack->aboutToShow();
    EXPECT_EQ(findTrack->findChildren<QMenu*>().size(), popups) << "the old popups are gone";
    QAction* track = FindCommandAction(findTrack, TrackCommandId(25));
    ASSERT_NE(track, nullptr);
    track->trigger();
    EXPECT_EQ(Selected(), std::vector<int>{25});
    EXPECT_EQ(View().TopRow(), List().verticalScrollBar()->value());

    QTest::keyClick(&List(), Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(&List(), Qt::Key_Delete);
    ASSERT_EQ(wnd_.Count(), 0);

    // The context menu of an empty list offers only what needs no selection.
    QTest::mouseClick(List().viewport(), Qt::RightButton, Qt::NoModifier, QPoint(30, 5));
    auto* context = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(context, nullptr);
    std::map<int, bool> enabled;
    for (QAction* action : context->actions()) {
        if (int id = CommandOfAction(action))
            enabled[id] = action->isEnabled();
    }
    context->close();
    EXPECT_EQ(enabled, (std::map<int, bool>{{ID_PL_SELECT_ALL, true},
                                            {ID_PL_ADD_FILES, true},
                                            {ID_PL_REMOVE, false},
                                            {ID_PL_EDIT_TAG, false},
                                            {ID_PL_NEW_FROM_SELECTION, false},
                                            {ID_PL_APPEND_TO_EXISTING, false}}));

    QMenu* first = window.MenuBar()->actions().front()->menu();
    ASSERT_NE(first, nullptr);
    emit first->aboutToShow();
    QAction* save = FindCommandAction(first, ID_PL_SAVE);
    ASSERT_NE(save, nullptr);
    EXPECT_FALSE(save->isEnabled()) << "nothing to save";
    QAction* onTop = first->actions().back();
    ASSERT_EQ(CommandOfAction(onTop), ID_ALWAYS_ON_TOP);
    onTop->trigger();
    EXPECT_EQ(wnd_.PlaylistOnTop, 1);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    onTop->trigger();
    EXPECT_EQ(wnd_.PlaylistOnTop, 0);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowStaysOnTopHint);
}

// Dropped addresses: local files are added in their order, others ignored.
TEST_F(PlaylistWindowTest, DroppedFilesAreAddedInTheirOrder) {
    PlaylistWindow& window = Open();
    const std::string b = test::CopyFixture(dir_, "drop/b.mp3");
    const std::string a = test::CopyFixture(dir_, "drop/a.mp3");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(b)),
                  QUrl(QStringLiteral("http://example.com/stream.mp3")),
                  QUrl::fromLocalFile(QString::fromStdString(a))});
    const QPoint at = List().mapTo(&window, List().rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    ASSERT_EQ(wnd_.Count(), kRows + 2);
    // The new rows are sorted by path.
    EXPECT_EQ(wnd_.Model().PathAt(kRows), a);
    EXPECT_EQ(wnd_.Model().PathAt(kRows + 1), b);
    EXPECT_EQ(List().verticalScrollBar()->maximum() + List().verticalScrollBar()->pageStep(),
              kRows + 2);
}

TEST(PlaylistWindowPlacement, UnsetKeysCentreAndTheWindowStaysInsideTheWorkArea) {
    const QRect area(100, 20, 800, 600); // a work area below a top panel
    const QSize own(300, 200);
    EXPECT_EQ(
        PlaceWindow(kUnsetPlacement, kUnsetPlacement, kUnsetPlacement, kUnsetPlacement, own, area),
        QRect(350, 220, 300, 200));
    EXPECT_EQ(PlaceWindow(kUnsetPlacement, 50, 400, kUnsetPlacement, own, area),
              QRect(300, 50, 400, 200));
    EXPECT_EQ(PlaceWindow(-30, -5, 200, 100, own, area), QRect(100, 20, 200, 100));
    EXPECT_EQ(PlaceWindow(850, 590, 200, 100, own, area), QRect(700, 520, 200, 100));
    // Larger than the work area: its top left corner stays in sight.
    EXPECT_EQ(PlaceWindow(500, 300, 1000, 700, own, area), QRect(100, 20, 1000, 700));
}

TEST_F(PlaylistWindowTest, AHundredThousandEntriesPaintOnlyTheRowsInSight) {
    wnd_.Model().Clear();
    for (int i = 0; i < 100000; ++i)
        wnd_.Model().Append("/music/track" + std::to_string(i) + ".mp3");
    Open();
    List().viewport()->repaint();
    const int inSight = List().viewport()->height() / List().RowHeight() + 1;
    EXPECT_EQ(List().FirstPaintedRow(), View().TopRow());
    EXPECT_GT(List().PaintedRowCount(), 0);
    EXPECT_LE(List().PaintedRowCount(), inSight);

    QTest::keyClick(&List(), Qt::Key_End);
    List().viewport()->repaint();
    EXPECT_EQ(Selected(), std::vector<int>{99999});
    EXPECT_EQ(List().FirstPaintedRow(), View().TopRow());
    EXPECT_EQ(List().FirstPaintedRow() + List().PaintedRowCount(), 100000);
    EXPECT_LE(List().PaintedRowCount(), inSight);
}

} // namespace
} // namespace zeb
