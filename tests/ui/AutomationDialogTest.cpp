// The automation dialog offscreen: settings into its controls and back on
// OK, the folder list's buttons, the period's bounds, and Cancel.
#include "ui/AutomationDialog.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "ui/DialogControls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

class AutomationDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }
    void SetUp() override {
        s_.AutSaveset = 1;
        s_.AutSort = 0;
        s_.AutRemove = 1;
        s_.AutRemovedup = 0;
        s_.AutRescan = 1;
        s_.AutOnStart = 0;
        s_.AutEvery = 1;
        s_.AutPeriod = 5;
        s_.AutDirs = {"/music/a/", "/music/b/", "/music/c/"};
    }

    std::unique_ptr<AutomationDialog> Open() {
        AutomationDialogHooks hooks;
        hooks.chooseFolder = [this](QWidget*) { return nextFolder_; };
        hooks.periodChanged = [this] { ++periodChanges_; };
        auto d = std::make_unique<AutomationDialog>(s_, hooks);
        d->show();
        return d;
    }
    template <typename T>
    static T* Control(const AutomationDialog& d, int id) {
        T* control = FindControl<T>(&d, id);
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    static QStringList Folders(const AutomationDialog& d) {
        QStringList lines;
        auto* list = Control<QListWidget>(d, IDC_AUT_FOLDERS);
        for (int row = 0; row < list->count(); ++row)
            lines << list->item(row)->text();
        return lines;
    }
    // A click on the box's indicator, at its left end.
    static void Tick(const AutomationDialog& d, int id) {
        auto* box = Control<QCheckBox>(d, id);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    static void TypePeriod(const AutomationDialog& d, const QString& text) {
        auto* edit = Control<QLineEdit>(d, IDC_AUT_PERIOD);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    MainWndSettings s_;
    std::string nextFolder_;
    int periodChanges_ = 0;
};

TEST_F(AutomationDialogTest, ControlsShowTheSettingsAndOkStoresWhatWasChanged) {
    auto d = Open();
    EXPECT_TRUE(Control<QCheckBox>(*d, IDC_AUT_SAVE_SETTINGS)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(*d, IDC_AUT_SORT)->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(*d, IDC_AUT_EVERY)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(*d, IDC_AUT_PERIOD)->text(), "5");
    EXPECT_EQ(Folders(*d), (QStringList{"/music/a/", "/music/b/", "/music/c/"}));

    Tick(*d, IDC_AUT_SORT);
    Tick(*d, IDC_AUT_REMOVE_MISSING);
    Tick(*d, IDC_AUT_ON_START);
    // "-" takes the selected line away; "+" appends the chosen folder with
    // its separator, even a folder already listed.
    auto* list = Control<QListWidget>(*d, IDC_AUT_FOLDERS);
    list->setCurrentRow(1);
    QTest::mouseClick(Control<QPushButton>(*d, IDC_AUT_REMOVE_FOLDER), Qt::LeftButton);
    nextFolder_ = "/music/a";
    QTest::mouseClick(Control<QPushButton>(*d, IDC_AUT_ADD_FOLDER), Qt::LeftButton);
    nextFolder_.clear(); // the folder dialog cancelled
    QTest::mouseClick(Control<QPushButton>(*d, IDC_AUT_ADD_FOLDER), Qt::LeftButton);
    EXPECT_EQ(Folders(*d), (QStringList{"/music/a/", "/music/c/", "/music/a/"}));
    EXPECT_EQ(s_.AutDirs.size(), 3u) << "nothing is stored before OK";

    // The arrows step within an hour and write into the field.
    auto* arrows = Control<QSpinBox>(*d, IDC_AUT_PERIOD_SPIN);
    EXPECT_EQ(arrows->minimum(), 1);
    EXPECT_EQ(arrows->maximum(), 60);
    arrows->stepUp();
    EXPECT_EQ(Control<QLineEdit>(*d, IDC_AUT_PERIOD)->text(), "6");

    QTest::mouseClick(Control<QPushButton>(*d, IDOK), Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(s_.AutSort, 1);
    EXPECT_EQ(s_.AutRemove, 0);
    EXPECT_EQ(s_.AutOnStart, 1);
    EXPECT_EQ(s_.AutSaveset, 1);
    EXPECT_EQ(s_.AutRescan, 1);
    EXPECT_EQ(s_.AutDirs, (std::vector<std::string>{"/music/a/", "/music/c/", "/music/a/"}));
    EXPECT_EQ(s_.AutPeriod, 6);
    EXPECT_EQ(periodChanges_, 1);
}

TEST_F(AutomationDialogTest, TypedPeriodsAreTakenAsTypedAboveTheArrowsButNeverBelowOneMinute) {
    {
        auto d = Open();
        TypePeriod(*d, "90");
        QTest::mouseClick(Control<QPushButton>(*d, IDOK), Qt::LeftButton);
        EXPECT_EQ(s_.AutPeriod, 90);
        EXPECT_EQ(periodChanges_, 1);
    }
    {
        auto d = Open();
        TypePeriod(*d, "-0");
        EXPECT_EQ(Control<QLineEdit>(*d, IDC_AUT_PERIOD)->text(), "0") << "digits only";
        QTest::mouseClick(Control<QPushButton>(*d, IDOK), Qt::LeftButton);
        EXPECT_EQ(s_.AutPeriod, 1);
        EXPECT_EQ(periodChanges_, 2);
    }
    {
        // The same period typed again leaves the timer alone.
        auto d = Open();
        TypePeriod(*d, "1");
        QTest::mouseClick(Control<QPushButton>(*d, IDOK), Qt::LeftButton);
        EXPECT_EQ(periodChanges_, 2);
    }
}

TEST_F(AutomationDialogTest, CancelStoresNothing) {
    const MainWndSettings before = s_;
    auto d = Open();
    Tick(*d, IDC_AUT_SAVE_SETTINGS);
    Control<QListWidget>(*d, IDC_AUT_FOLDERS)->setCurrentRow(0);
    QTest::mouseClick(Control<QPushButton>(*d, IDC_AUT_REMOVE_FOLDER), Qt::LeftButton);
    TypePeriod(*d, "30");
    QTest::mouseClick(Control<QPushButton>(*d, IDCANCEL), Qt::LeftButton);
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(s_.AutSaveset, before.AutSaveset);
    EXPECT_EQ(s_.AutDirs, before.AutDirs);
    EXPECT_EQ(s_.AutPeriod, before.AutPeriod);
    EXPECT_EQ(periodChanges_, 0);
}

} // namespace
} // namespace zeb
