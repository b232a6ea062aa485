// The now-playing file dialog offscreen: its controls, OK and Cancel, and
// the save-file dialog of "Gennemse".
#include "ui/NowPlayingDialog.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "support/TempDir.h"
#include "ui/DialogControls.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ModalDriver;

class NowPlayingDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }
    void SetUp() override {
        s_.W2Fenabled = 1;
        s_.W2Ffile = dir_.File("nu spiller.txt");
        s_.W2Fplay = "Spiller: %T";
        s_.W2Fpause = "Pause: %t";
        s_.W2Fstop = "Stop";
        s_.W2Fexit = "Farvel";
        s_.W2Foem = 2; // a flag read as 2 shows checked
        s_.W2Fdel = 0;
    }

    QLineEdit* Edit(QWidget* d, int id) { return FindControl<QLineEdit>(d, id); }
    QCheckBox* Check(QWidget* d, int id) { return FindControl<QCheckBox>(d, id); }
    QString Text(QWidget* d, int id) {
        QWidget* w = FindControl(d, id);
        if (auto* l = qobject_cast<QLabel*>(w))
            return l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            return b->text();
        return QStringLiteral("<missing %1>").arg(id);
    }
    void Click(QWidget* d, int id) {
        auto* button = FindControl<QAbstractButton>(d, id);
        ASSERT_NE(button, nullptr);
        // A check box takes clicks on its box and text only, at its left.
        QPoint at = qobject_cast<QCheckBox*>(button) ? QPoint(4, button->height() / 2)
                                                     : button->rect().center();
        QTest::mouseClick(button, Qt::LeftButton, {}, at);
    }

    test::TempDir dir_;
    MainWndSettings s_;
};

TEST_F(NowPlayingDialogTest, ShowsTheSettingsAndOkCopiesTheControlsBack) {
    NowPlayingDialog d(s_);
    d.show();
    EXPECT_TRUE(Check(&d, IDC_W2F_ENABLE)->isChecked());
    EXPECT_EQ(Edit(&d, IDC_W2F_FILE)->text(), QString::fromStdString(s_.W2Ffile));
    EXPECT_EQ(Edit(&d, IDC_W2F_PLAY)->text(), "Spiller: %T");
    EXPECT_EQ(Edit(&d, IDC_W2F_PAUSE)->text(), "Pause: %t");
    EXPECT_EQ(Edit(&d, IDC_W2F_STOP)->text(), "Stop");
    EXPECT_EQ(Edit(&d, IDC_W2F_EXIT)->text(), "Farvel");
    EXPECT_TRUE(Check(&d, IDC_W2F_OEM)->isChecked());
    EXPECT_FALSE(Check(&d, IDC_W2F_DELETE_AT_EXIT)->isChecked());

    Click(&d, IDC_W2F_ENABLE);
    Edit(&d, IDC_W2F_FILE)->setText("/tmp/æøå.txt");
    Edit(&d, IDC_W2F_PLAY)->setText("Спит: %T");
    Edit(&d, IDC_W2F_PAUSE)->setText("P");
    Edit(&d, IDC_W2F_STOP)->setText("");
    Edit(&d, IDC_W2F_EXIT)->setText("Bye");
    Click(&d, IDC_W2F_DELETE_AT_EXIT);
    Click(&d, IDOK);

    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(s_.W2Fenabled, 0);
    EXPECT_EQ(s_.W2Ffile, "/tmp/æøå.txt");
    EXPECT_EQ(s_.W2Fplay, "Спит: %T");
    EXPECT_EQ(s_.W2Fpause, "P");
    EXPECT_EQ(s_.W2Fstop, "");
    EXPECT_EQ(s_.W2Fexit, "Bye");
    EXPECT_EQ(s_.W2Foem, 1);
    EXPECT_EQ(s_.W2Fdel, 1);
}

TEST_F(NowPlayingDialogTest, CancelChangesNothing) {
    const MainWndSettings before = s_;
    NowPlayingDialog d(s_);
    d.show();
    Click(&d, IDC_W2F_ENABLE);
    Click(&d, IDC_W2F_OEM);
    Edit(&d, IDC_W2F_FILE)->setText("/elsewhere.txt");
    Edit(&d, IDC_W2F_PLAY)->setText("changed");
    Click(&d, IDCANCEL);
    EXPECT_EQ(d.result(), QDialog::Rejected);
    EXPECT_EQ(s_.W2Fenabled, before.W2Fenabled);
    EXPECT_EQ(s_.W2Ffile, before.W2Ffile);
    EXPECT_EQ(s_.W2Fplay, before.W2Fplay);
    EXPECT_EQ(s_.W2Foem, 2);
}

TEST_F(NowPlayingDialogTest, TextsInDanishAndRussian) {
    NowPlayingDialog da(s_);
    EXPECT_EQ(da.objectName(), "dlg-131");
    EXPECT_EQ(Text(&da, IDC_W2F_ENABLE), "Brug W2FILE");
    EXPECT_EQ(Text(&da, IDC_W2F_FILE_LABEL), "Fil:");
    EXPECT_EQ(Text(&da, IDC_W2F_BROWSE), "Gennemse");
    EXPECT_EQ(Text(&da, IDC_W2F_FORMAT_HINT), "Formater (brug %T for titel):");
    EXPECT_EQ(Text(&da, IDC_W2F_PLAY_LABEL), "Afspil:");
    EXPECT_EQ(Text(&da, IDC_W2F_PAUSE_LABEL), "Pause:");
    EXPECT_EQ(Text(&da, IDC_W2F_STOP_LABEL), "Stop:");
    EXPECT_EQ(Text(&da, IDC_W2F_EXIT_LABEL), "Afslut:");
    EXPECT_EQ(Text(&da, IDC_W2F_OEM), "OEM konvertering");
    EXPECT_EQ(Text(&da, IDC_W2F_DELETE_AT_EXIT), "Slet ved afslutning");
    EXPECT_EQ(Text(&da, IDCANCEL), "Annuller");
    // Each label leads to its field.
    EXPECT_EQ(FindControl<QLabel>(&da, IDC_W2F_PLAY_LABEL)->buddy(), Edit(&da, IDC_W2F_PLAY));
    EXPECT_EQ(FindControl<QLabel>(&da, IDC_W2F_EXIT_LABEL)->buddy(), Edit(&da, IDC_W2F_EXIT));

    s_.Language = 1;
    NowPlayingDialog ru(s_);
    EXPECT_EQ(ru.objectName(), "dlg-165");
    EXPECT_EQ(Text(&ru, IDC_W2F_ENABLE), "Использовать W2FILE");
    EXPECT_EQ(Text(&ru, IDC_W2F_FILE_LABEL), "Файл:");
    EXPECT_EQ(Text(&ru, IDC_W2F_BROWSE), "Обзор");
    EXPECT_EQ(Text(&ru, IDC_W2F_FORMAT_HINT), "Формат (%T — название):");
    EXPECT_EQ(Text(&ru, IDC_W2F_PLAY_LABEL), "Играет:");
    EXPECT_EQ(Text(&ru, IDC_W2F_STOP_LABEL), "Стоп:");
    EXPECT_EQ(Text(&ru, IDC_W2F_DELETE_AT_EXIT), "Удалить при выходе");
    EXPECT_EQ(Text(&ru, IDCANCEL), "Отмена");
}

TEST_F(NowPlayingDialogTest, BrowsePutsTheChosenTextFileIntoTheField) {
    NowPlayingDialog d(s_);
    d.show();
    QLineEdit* file = Edit(&d, IDC_W2F_FILE);

    // Starts at the current file's folder; a bare name gets ".txt".
    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* f) {
        EXPECT_TRUE(f->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(f->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(f->defaultSuffix(), "txt");
        EXPECT_EQ(f->nameFilters(), (QStringList{"Text files (*.txt)", "All files (*)"}));
        EXPECT_EQ(f->directory().absolutePath(), QString::fromStdString(dir_.Path().string()));
        f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("status");
        static_cast<QDialog*>(f)->accept(); // what its Save button does
    });
    Click(&d, IDC_W2F_BROWSE);
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(file->text(), QString::fromStdString(dir_.File("status.txt")));

    // Cancel keeps the field.
    driver = ModalDriver::For<QFileDialog>([](QFileDialog* f) { f->reject(); });
    Click(&d, IDC_W2F_BROWSE);
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(file->text(), QString::fromStdString(dir_.File("status.txt")));
    EXPECT_EQ(s_.W2Ffile, dir_.File("nu spiller.txt")); // only OK stores it
}

TEST_F(NowPlayingDialogTest, BrowseAsksBeforeTakingAnExistingFile) {
    test::WriteFile(dir_.File("taken.txt"), "x");
    NowPlayingDialog d(s_);
    d.show();
    QLineEdit* file = Edit(&d, IDC_W2F_FILE);

    // Each answer to the overwrite question: No keeps the save dialog open
    // (the driver then cancels it), Yes takes the file.
    for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        bool asked = false;
        auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* f) {
            f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("taken.txt");
            auto question = ModalDriver::For<QMessageBox>([&](QMessageBox* box) {
                asked = true;
                box->button(answer)->click();
            });
            static_cast<QDialog*>(f)->accept();
            EXPECT_TRUE(question->Ran());
            EXPECT_EQ(f->isVisible(), answer == QMessageBox::No);
        });
        Click(&d, IDC_W2F_BROWSE);
        EXPECT_TRUE(driver->Ran());
        EXPECT_TRUE(asked);
        EXPECT_EQ(file->text(),
                  QString::fromStdString(answer == QMessageBox::Yes ? dir_.File("taken.txt")
                                                                    : dir_.File("nu spiller.txt")));
    }
}

} // namespace
} // namespace zeb
