// The equalizer window offscreen over the main window's settings and the
// engine's factors: the bars under the pointer, the presets and their list,
// reset, the on/off box, and what closing leaves in the settings.
#include "ui/EqualizerWindow.h"

#include "ModalDriver.h"
#include "engine/EqualizerBands.h"
#include "platform/IniFile.h"
#include "resources/ResourceIds.h"
#include "shell/EqualizerPresets.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"
#include "support/TempDir.h"
#include "ui/DialogControls.h"
#include "ui/EqualizerBar.h"
#include "ui/NameEntryDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace zeb {
namespace {

constexpr int kBarHeight = 200; // ten pixels a step

class EqualizerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override {
        // The built-in presets, as a first start reads them.
        IniFile ini(dir_.File("zeb.ini"));
        wnd_.EqPresets = LoadEqualizerPresets(ini, "Preferences");
    }
    void TearDown() override { delete window_; }

    EqualizerWindow* Open() {
        window_ = new EqualizerWindow(wnd_);
        window_->show();
        for (int id : {IDC_EQ_PREAMP, IDC_EQ_BAND1, IDC_EQ_BAND10})
            Bar(id)->setFixedHeight(kBarHeight);
        window_->layout()->activate();
        return window_;
    }
    EqualizerBar* Bar(int id) const { return FindControl<EqualizerBar>(window_, id); }
    QComboBox* List() const { return FindControl<QComboBox>(window_, IDC_EQ_PRESETS); }
    void Click(int id) const {
        QTest::mouseClick(FindControl<QWidget>(window_, id), Qt::LeftButton);
    }
    void Press(int bar, int y) const {
        QTest::mousePress(Bar(bar), Qt::LeftButton, {}, QPoint(5, y));
        QTest::mouseRelease(Bar(bar), Qt::LeftButton, {}, QPoint(5, y));
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (int i = 0; i < List()->count(); ++i)
            names.push_back(List()->itemText(i).toStdString());
        return names;
    }
    void Choose(const std::string& name) const {
        const int index = List()->findText(QString::fromStdString(name));
        ASSERT_GE(index, 0) << name;
        List()->setCurrentIndex(index);
        emit List()->activated(index);
    }
    // Saves the bars under `name` through the name dialog.
    void SaveAs(const std::string& name) {
        auto driver = test::ModalDriver::For<NameEntryDialog>([name](NameEntryDialog* d) {
            FindControl<QLineEdit>(d, IDC_NAME_TEXT)->setText(QString::fromStdString(name));
            FindControl<QPushButton>(d, IDOK)->click();
        });
        Click(IDC_EQ_SAVE);
        EXPECT_TRUE(driver->Ran());
    }
    std::string PresetText(const std::string& name) const {
        for (const std::string& p : wnd_.EqPresets)
            if (PresetName(p) == name)
                return std::string(PresetLetters(p));
        return "<none>";
    }
    double Factor(int subband) { return wnd_.Player().Equalizer().Factors()[size_t(subband)]; }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 1u};
    QPointer<EqualizerWindow> window_;
};

TEST_F(EqualizerWindowTest, PointerOnABarSetsTheNearestPositionAndTheFactors) {
    wnd_.EnableEQ = 1;
    wnd_.EQPreset = 1; // "Loudness" in the sorted list
    Open();
    ASSERT_EQ(Bar(IDC_EQ_BAND10)->height(), kBarHeight);
    ASSERT_EQ(List()->currentText(), "Loudness");

    Press(IDC_EQ_BAND10, 0);
    EXPECT_EQ(Bar(IDC_EQ_BAND10)->value(), 20);
    EXPECT_EQ(wnd_.EQ[9], 10);
    EXPECT_DOUBLE_EQ(Factor(31), 2.25);
    // The pointer leaves the preset behind.
    EXPECT_EQ(wnd_.EQPreset, -1);
    EXPECT_EQ(List()->currentIndex(), -1);

    Press(IDC_EQ_BAND10, kBarHeight - 1);
    EXPECT_EQ(Bar(IDC_EQ_BAND10)->value(), 0);
    EXPECT_EQ(wnd_.EQ[9], -10);
    EXPECT_DOUBLE_EQ(Factor(20), 0.25);
    EXPECT_TRUE(wnd_.Player().Equalizer().On());

    // Line 7 of the scale is at y = 130: up to half a step below it still
    // means 7, more than half a step below means 6.
    Press(IDC_EQ_PREAMP, 134);
    EXPECT_EQ(Bar(IDC_EQ_PREAMP)->value(), 7);
    EXPECT_EQ(wnd_.Preamp, -3);
    Press(IDC_EQ_PREAMP, 136);
    EXPECT_EQ(Bar(IDC_EQ_PREAMP)->value(), 6);
    EXPECT_EQ(wnd_.Preamp, -4);

    // Dragging with the button held follows the pointer, also past the ends.
    QTest::mousePress(Bar(IDC_EQ_BAND1), Qt::LeftButton, {}, QPoint(5, 100));
    EXPECT_EQ(wnd_.EQ[0], 0);
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, -40),
                     Bar(IDC_EQ_BAND1)->mapToGlobal(QPointF(5, -40)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(Bar(IDC_EQ_BAND1), &drag);
    EXPECT_EQ(wnd_.EQ[0], 10);
    QTest::mouseRelease(Bar(IDC_EQ_BAND1), Qt::LeftButton, {}, QPoint(5, -40));

    // The whole chain: the factors are those of the steps now set.
    const auto expected = SubbandFactors(wnd_.Preamp, wnd_.EQ);
    for (int i = 0; i < 32; ++i)
        EXPECT_DOUBLE_EQ(Factor(i), expected[size_t(i)]) << i;

    // Off keeps the steps and stops the factors applying; on again applies.
    Click(IDC_EQ_ENABLE);
    EXPECT_EQ(wnd_.EnableEQ, 0);
    EXPECT_FALSE(wnd_.Player().Equalizer().On());
    EXPECT_EQ(wnd_.EQ[9], -10);
    Click(IDC_EQ_ENABLE);
    EXPECT_EQ(wnd_.EnableEQ, 1);
    EXPECT_TRUE(wnd_.Player().Equalizer().On());
}

TEST_F(EqualizerWindowTest, PresetsAreChosenSavedAndDeletedByTheirListEntry) {
    wnd_.EnableEQ = 1;
    wnd_.EQ.fill(3);
    wnd_.EQPreset = 3; // "Rock" wins over the stored steps
    Open();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"Classic", "Loudness", "Pop", "Rock"}));
    EXPECT_EQ(wnd_.EQ[0], 4);
    EXPECT_EQ(Bar(IDC_EQ_BAND1)->value(), 14);
    EXPECT_DOUBLE_EQ(Factor(0), 1.2 * 1.2);

    // A new name is added, sorted without regard to case, and selected.
    Press(IDC_EQ_BAND10, 0);
    SaveAs("bass cut");
    EXPECT_EQ(Listed(),
              (std::vector<std::string>{"bass cut", "Classic", "Loudness", "Pop", "Rock"}));
    EXPECT_EQ(List()->currentText(), "bass cut");
    EXPECT_EQ(wnd_.EQPreset, 0);
    EXPECT_EQ(PresetText("bass cut"), "komkijlnopu");
    EXPECT_EQ(wnd_.EqPresets.size(), 5u);

    // Entries are found by name, not by their place in the presets.
    Choose("Classic");
    EXPECT_EQ(wnd_.EQPreset, 1);
    EXPECT_EQ(wnd_.EQ[2], -4);
    EXPECT_EQ(Bar(IDC_EQ_BAND10)->value(), 16);

    // An existing name is replaced in place, not added again.
    Press(IDC_EQ_PREAMP, 0);
    SaveAs("Pop");
    EXPECT_EQ(wnd_.EqPresets.size(), 5u);
    EXPECT_EQ(PresetText("Pop"), "unjgjlnopqq");
    EXPECT_EQ(List()->currentText(), "Pop");
    EXPECT_EQ(wnd_.EQPreset, 3);

    // Cancel saves nothing.
    auto cancel = test::ModalDriver::For<NameEntryDialog>(
        [](NameEntryDialog* d) { FindControl<QPushButton>(d, IDCANCEL)->click(); });
    Click(IDC_EQ_SAVE);
    EXPECT_TRUE(cancel->Ran());
    EXPECT_EQ(wnd_.EqPresets.size(), 5u);

    Click(IDC_EQ_DELETE);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"bass cut", "Classic", "Loudness", "Rock"}));
    EXPECT_EQ(PresetText("Pop"), "<none>");
    EXPECT_EQ(wnd_.EQPreset, -1);
    EXPECT_EQ(List()->currentIndex(), -1);
    // Without a selection delete does nothing.
    Click(IDC_EQ_DELETE);
    EXPECT_EQ(wnd_.EqPresets.size(), 4u);

    Choose("Rock");
    Click(IDC_EQ_RESET);
    for (int id : kEqualizerBandControls)
        EXPECT_EQ(Bar(id)->value(), 10) << id;
    EXPECT_EQ(wnd_.EQ, (std::array<int, 10>{}));
    EXPECT_EQ(wnd_.Preamp, 0);
    EXPECT_EQ(wnd_.EQPreset, -1);
    EXPECT_EQ(List()->currentIndex(), -1);
    EXPECT_DOUBLE_EQ(Factor(31), 1.0);

    // The list as saved: the next window opens with the same entries.
    delete window_;
    Open();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"bass cut", "Classic", "Loudness", "Rock"}));
}

TEST_F(EqualizerWindowTest, OpensInsideTheWorkAreaAndClosingStoresThePosition) {
    wnd_.EqualizerX = 100000; // past the right edge: moved back inside
    wnd_.EqualizerY = -50;
    wnd_.EQOnTop = 1;
    Open();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window_->pos().x(), area.right() + 1 - window_->width());
    EXPECT_EQ(window_->pos().y(), area.top());
    EXPECT_TRUE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    QSignalSpy toggled(window_.data(), &EqualizerWindow::OnTopToggled);
    window_->ToggleOnTop();
    EXPECT_EQ(wnd_.EQOnTop, 0);
    EXPECT_EQ(toggled.count(), 1);
    EXPECT_FALSE(window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    window_->move(area.topLeft() + QPoint(31, 47));
    QSignalSpy closed(window_.data(), &EqualizerWindow::Closed);
    QTest::keyClick(window_, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(wnd_.EqualizerX, area.left() + 31);
    EXPECT_EQ(wnd_.EqualizerY, area.top() + 47);
    QTRY_VERIFY(!window_);
}

} // namespace
} // namespace zeb
