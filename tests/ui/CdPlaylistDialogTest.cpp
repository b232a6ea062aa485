// The CD playlist dialog offscreen over a real title database file: naming
// tracks with the keyboard, building the order with buttons and double
// clicks, and what OK, Cancel and the missing disc write.
#include "ui/CdPlaylistDialog.h"

#include "ModalDriver.h"
#include "cd/CdTitleDatabase.h"
#include "resources/ResourceIds.h"
#include "support/TempDir.h"
#include "ui/DialogControls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::WriteFile;

class CdPlaylistDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void TearDown() override {
        if (dialog_)
            delete dialog_.data();
    }

    CdPlaylistDialog* Open(const std::string& key, const std::vector<std::string>& lengths) {
        dialog_ = new CdPlaylistDialog(db_, key, lengths, false);
        dialog_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog_));
        return dialog_;
    }

    QLineEdit* Edit(int id) { return FindControl<QLineEdit>(dialog_, id); }
    QListWidget* List(int id) { return FindControl<QListWidget>(dialog_, id); }
    QPushButton* Button(int id) { return FindControl<QPushButton>(dialog_, id); }

    QStringList Lines(int id) {
        QStringList lines;
        for (int row = 0; row < List(id)->count(); ++row)
            lines << List(id)->item(row)->text();
        return lines;
    }
    int SelectedRow(int id) {
        const QList<QListWidgetItem*> items = List(id)->selectedItems();
        return items.isEmpty() ? -1 : List(id)->row(items.first());
    }
    QPoint RowCentre(int id, int row) {
        return List(id)->visualItemRect(List(id)->item(row)).center();
    }
    void ClickRow(int id, int row) {
        QTest::mouseClick(List(id)->viewport(), Qt::LeftButton, {}, RowCentre(id, row));
    }
    // A real double click: press and release, then the double click and its
    // release (QTest's double click alone lacks the first press).
    void DoubleClickRow(int id, int row) {
        QWidget* viewport = List(id)->viewport();
        const QPoint at = RowCentre(id, row);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    void Click(int id) {
        QPushButton* button = Button(id);
        ASSERT_NE(button, nullptr) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // Clicks OK or Cancel and lets the dialog delete itself.
    void CloseWith(int id) {
        Click(id);
        EXPECT_FALSE(dialog_->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(dialog_.isNull()) << "the dialog deletes itself when closed";
    }

    test::TempDir dir_;
    std::string path_ = dir_.File("CDPLAYER.INI");
    CdTitleDatabase db_{path_};
    QPointer<CdPlaylistDialog> dialog_;
    const std::vector<std::string> lengths_ = {"03:10:05", "04:20:00", "05:30:74", "01:05:00"};
};

TEST_F(CdPlaylistDialogTest, NamesTracksBuildsTheOrderAndWritesItOnOk) {
    WriteFile(path_, "[Other]\nArtist=Keep me\n[2F]\nArtist=Band\nTitle=Album\n1=Second\n"
                     "order=2 0\n");
    Open("2F", lengths_);
    EXPECT_EQ(dialog_->windowTitle(), "CD Afspilningsliste");
    EXPECT_TRUE(dialog_->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Edit(IDC_CDPL_ARTIST)->text(), "Band");
    EXPECT_EQ(Edit(IDC_CDPL_TITLE)->text(), "Album");
    EXPECT_TRUE(Button(IDOK)->isEnabled());
    EXPECT_FALSE(Button(IDC_CDPL_SET_NAME)->isEnabled());
    EXPECT_EQ(Lines(IDC_CDPL_AVAILABLE), (QStringList{"Track 1 (03:10)", "Second (04:20)",
                                                      "Track 3 (05:30)", "Track 4 (01:05)"}));
    EXPECT_EQ(Lines(IDC_CDPL_ORDER), (QStringList{"Track 3 (05:30)", "Track 1 (03:10)"}));

    // Picking a track loads its name, all selected, so typing replaces it.
    ClickRow(IDC_CDPL_AVAILABLE, 2);
    QLineEdit* name = Edit(IDC_CDPL_TRACK_NAME);
    EXPECT_EQ(name->text(), "Track 3");
    EXPECT_EQ(name->selectedText(), "Track 3");
    name->setFocus();
    QTest::keyClicks(name, "Intro (live)");
    EXPECT_TRUE(Button(IDC_CDPL_SET_NAME)->isEnabled());

    // Enter in the name edit sets the name and moves on; the dialog stays.
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(dialog_->isVisible()) << "Enter in the name edit does not close the dialog";
    EXPECT_EQ(List(IDC_CDPL_AVAILABLE)->item(2)->text(), "Intro (live) (05:30)");
    EXPECT_EQ(List(IDC_CDPL_ORDER)->item(0)->text(), "Intro (live) (05:30)");
    EXPECT_EQ(SelectedRow(IDC_CDPL_AVAILABLE), 3);
    EXPECT_EQ(name->text(), "Track 4");

    // The last entry's name moves the selection round to the first.
    QTest::keyClicks(name, "Coda");
    QTest::keyClick(name, Qt::Key_Enter);
    EXPECT_EQ(List(IDC_CDPL_AVAILABLE)->item(3)->text(), "Coda (01:05)");
    EXPECT_EQ(SelectedRow(IDC_CDPL_AVAILABLE), 0);
    EXPECT_EQ(name->text(), "Track 1");

    // An emptied name cannot be set.
    name->clear();
    EXPECT_FALSE(Button(IDC_CDPL_SET_NAME)->isEnabled());

    // "<--" and double clicks add a track once; "-->" and double clicks on
    // the order remove the selected entry only.
    Click(IDC_CDPL_ADD); // track 1 is in the order already
    ClickRow(IDC_CDPL_AVAILABLE, 3);
    Click(IDC_CDPL_ADD);
    DoubleClickRow(IDC_CDPL_AVAILABLE, 1);
    DoubleClickRow(IDC_CDPL_AVAILABLE, 1);
    EXPECT_EQ(Lines(IDC_CDPL_ORDER), (QStringList{"Intro (live) (05:30)", "Track 1 (03:10)",
                                                  "Coda (01:05)", "Second (04:20)"}));
    ClickRow(IDC_CDPL_ORDER, 1);
    Click(IDC_CDPL_REMOVE);
    Click(IDC_CDPL_REMOVE); // nothing is selected any more
    DoubleClickRow(IDC_CDPL_ORDER, 2);
    EXPECT_EQ(Lines(IDC_CDPL_ORDER), (QStringList{"Intro (live) (05:30)", "Coda (01:05)"}));

    CloseWith(IDOK);
    const std::string text = ReadFile(path_);
    for (const char* line :
         {"Artist=Keep me\n", "Artist=Band\n", "Title=Album\n", "0=Track 1\n", "1=Second\n",
          "2=Intro (live)\n", "3=Coda\n", "order=2 3\n", "numplay=2\n", "NumTracks=4\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " missing in:\n" << text;
}

TEST_F(CdPlaylistDialogTest, CancelAndTheMissingDiscWriteNothingAndOkNeedsArtistAndTitle) {
    WriteFile(path_, "[2F]\nArtist=Band\nTitle=Album\n");
    const std::string before = ReadFile(path_);

    Open("2F", lengths_);
    EXPECT_EQ(Lines(IDC_CDPL_ORDER), Lines(IDC_CDPL_AVAILABLE)) << "no order: disc order";
    Edit(IDC_CDPL_ARTIST)->setFocus();
    Edit(IDC_CDPL_ARTIST)->selectAll();
    QTest::keyClick(Edit(IDC_CDPL_ARTIST), Qt::Key_Delete);
    EXPECT_FALSE(Button(IDOK)->isEnabled());
    QTest::keyClick(Edit(IDC_CDPL_ARTIST), Qt::Key_Return);
    EXPECT_TRUE(dialog_->isVisible()) << "Enter does not take a disabled OK";
    QTest::keyClicks(Edit(IDC_CDPL_ARTIST), "Other band");
    EXPECT_TRUE(Button(IDOK)->isEnabled());
    ClickRow(IDC_CDPL_ORDER, 0);
    Click(IDC_CDPL_REMOVE);
    CloseWith(IDCANCEL);
    EXPECT_EQ(ReadFile(path_), before);

    // No disc: empty lists, and OK closes without writing.
    Open(CdTitleDatabase::kNoDisc, lengths_);
    EXPECT_EQ(List(IDC_CDPL_AVAILABLE)->count(), 0);
    EXPECT_EQ(List(IDC_CDPL_ORDER)->count(), 0);
    EXPECT_FALSE(Button(IDOK)->isEnabled());
    QTest::keyClicks(Edit(IDC_CDPL_ARTIST), "A");
    QTest::keyClicks(Edit(IDC_CDPL_TITLE), "T");
    EXPECT_TRUE(Button(IDOK)->isEnabled());
    CloseWith(IDOK);
    EXPECT_EQ(ReadFile(path_), before);
}

} // namespace
} // namespace zeb
