// The hotkey dialog, offscreen: what it shows, how its controls capture
// keys, what OK and Cancel write, and when the registration hooks run.
#include "ui/HotkeyDialog.h"

#include "ModalDriver.h"
#include "resources/ResourceIds.h"
#include "shell/HotkeyTable.h"
#include "ui/DialogControls.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zeb {
namespace {

using F = HotkeyFunction;

class HotkeyDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override {
        settings.Hotkeys.fill({});
        Pair(F::Play) = {'P', kModControl | kModAlt};
        Pair(F::Next) = {0x22, kModShift};                        // PgDown
        Pair(F::VUp) = {0x26, kModControl | kModShift | kModAlt}; // Up
        Pair(F::Stop) = {0, kModControl};                         // modifier without a key
    }

    HotkeyPair& Pair(F f) { return settings.Hotkeys[size_t(f)]; }

    HotkeyEdit* Control(const QWidget& dialog, int id) {
        return FindControl<HotkeyEdit>(&dialog, id);
    }

    MainWndSettings settings;
    std::vector<std::string> calls;
};

TEST_F(HotkeyDialogTest, ShowsEveryStoredPairInItsControl) {
    HotkeyDialog dialog(settings, {}, {});
    EXPECT_EQ(dialog.objectName(), "dlg-106");
    EXPECT_EQ(dialog.windowTitle(), "Genveje");
    for (const HotkeyEntry& e : kHotkeyTable) {
        HotkeyEdit* edit = Control(dialog, e.controlId);
        ASSERT_NE(edit, nullptr) << e.controlId;
        EXPECT_EQ(edit, dialog.Edit(e.function));
        EXPECT_EQ(edit->Hotkey(), Pair(e.function)) << e.controlId;
    }
    EXPECT_EQ(Control(dialog, IDC_HK_PLAY_PAUSE)->text(), "Ctrl+Alt+P");
    EXPECT_EQ(Control(dialog, IDC_HK_NEXT)->text(), "Shift+PgDown");
    EXPECT_EQ(Control(dialog, IDC_HK_VOLUME_UP)->text(), "Ctrl+Alt+Shift+Up");
    EXPECT_EQ(Control(dialog, IDC_HK_STOP)->text(), "");

    // Each control has its label; the note about Scroll Lock is there.
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() == Control(dialog, IDC_HK_PLAY_PAUSE))
            labels << label->text();
    }
    EXPECT_EQ(labels, QStringList{"Afspil / Pause"});
    auto* note = FindControl<QLabel>(&dialog, IDC_HK_SCROLL_LOCK_NOTE);
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "Genveje virker kun hvis Scroll Lock er SLUKKET!");
}

TEST_F(HotkeyDialogTest, RussianDialogHasItsOwnTexts) {
    settings.Language = 1;
    HotkeyDialog dialog(settings, {}, {});
    EXPECT_EQ(dialog.objectName(), "dlg-156");
    EXPECT_EQ(dialog.windowTitle(), "Горячие клавиши");
    EXPECT_TRUE(
        FindControl<QLabel>(&dialog, IDC_HK_SCROLL_LOCK_NOTE)->text().contains("Scroll Lock"));
    EXPECT_EQ(FindControl<QPushButton>(&dialog, IDCANCEL)->text(), "Отмена");
}

TEST_F(HotkeyDialogTest, CapturesCombinationsAndAddsCtrlAltToABareKey) {
    HotkeyDialog dialog(settings, {}, {});
    dialog.show();
    HotkeyEdit* edit = Control(dialog, IDC_HK_STOP);

    QTest::keyClick(edit, Qt::Key_F5);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{0x74, kModControl | kModAlt}));
    EXPECT_EQ(edit->text(), "Ctrl+Alt+F5");

    QTest::keyClick(edit, Qt::Key_S, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{'S', kModShift | kModAlt}));

    // Shift+1 arrives as '!', and stands for the 1 key.
    QTest::keyClick(edit, Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{'1', kModShift}));

    QTest::keyClick(edit, Qt::Key_5, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{0x65, kModControl}));
    EXPECT_EQ(edit->text(), "Ctrl+Num 5");

    // A bare media key becomes Ctrl+Alt too.
    QTest::keyClick(edit, Qt::Key_MediaNext);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{0xb0, kModControl | kModAlt}));

    // A modifier alone or a key without a code changes nothing.
    QTest::keyClick(edit, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_F30, Qt::ControlModifier);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{0xb0, kModControl | kModAlt}));

    // Backspace alone clears; with a modifier it is a hotkey.
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->Hotkey(), HotkeyPair{});
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(edit->Hotkey(), (HotkeyPair{0x08, kModControl}));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(HotkeyDialogTest, EscapeAloneCancelsInsteadOfBeingCaptured) {
    HotkeyDialog dialog(settings, {}, {});
    dialog.show();
    HotkeyEdit* edit = Control(dialog, IDC_HK_PLAY_PAUSE);
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(edit->Hotkey(), Pair(F::Play));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(HotkeyDialogTest, OkWritesEveryControlBack) {
    const MainWndSettings before = settings;
    HotkeyDialog dialog(settings, {}, {});
    dialog.show();
    QTest::keyClick(Control(dialog, IDC_HK_PLAY_PAUSE), Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(Control(dialog, IDC_HK_ALBUM_MODE), Qt::Key_A);
    QTest::keyClick(Control(dialog, IDC_HK_NEXT), Qt::Key_Backspace);
    EXPECT_EQ(Pair(F::Play), before.Hotkeys[size_t(F::Play)]) << "written before OK";
    FindControl<QPushButton>(&dialog, IDOK)->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Pair(F::Play), (HotkeyPair{0x24, kModShift}));
    EXPECT_EQ(Pair(F::Albummode), (HotkeyPair{'A', kModControl | kModAlt}));
    EXPECT_EQ(Pair(F::Next), HotkeyPair{});
    EXPECT_EQ(Pair(F::VUp), before.Hotkeys[size_t(F::VUp)]);
    // A modifier stored without a key is shown as none and kept as it was.
    EXPECT_EQ(Pair(F::Stop), (HotkeyPair{0, kModControl}));
}

TEST_F(HotkeyDialogTest, CancelAndClosingWriteNothing) {
    const MainWndSettings before = settings;
    {
        HotkeyDialog dialog(settings, {}, {});
        dialog.show();
        QTest::keyClick(Control(dialog, IDC_HK_PLAY_PAUSE), Qt::Key_Q, Qt::AltModifier);
        FindControl<QPushButton>(&dialog, IDCANCEL)->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    {
        HotkeyDialog dialog(settings, {}, {});
        dialog.show();
        QTest::keyClick(Control(dialog, IDC_HK_PLAY_PAUSE), Qt::Key_Q, Qt::AltModifier);
        dialog.close();
    }
    EXPECT_EQ(settings.Hotkeys, before.Hotkeys);
}

TEST_F(HotkeyDialogTest, HooksSurroundTheOpenDialogAndSeeTheWrittenSettings) {
    auto hooks = [this](HotkeyDialog*& dialog) {
        return std::make_pair(
            [this, &dialog] {
                calls.push_back(dialog && dialog->isVisible() ? "before: visible" : "before");
            },
            [this] { calls.push_back("after: " + std::to_string(Pair(F::Play).key)); });
    };
    HotkeyDialog* current = nullptr;
    auto [before, after] = hooks(current);
    {
        HotkeyDialog dialog(settings, before, after);
        current = &dialog;
        EXPECT_TRUE(calls.empty()) << "nothing happens before the dialog opens";
        dialog.show();
        EXPECT_EQ(calls, std::vector<std::string>{"before"});
        QTest::keyClick(Control(dialog, IDC_HK_PLAY_PAUSE), Qt::Key_X, Qt::ControlModifier);
        FindControl<QPushButton>(&dialog, IDOK)->click();
        EXPECT_EQ(calls, (std::vector<std::string>{"before", "after: 88"}));
        current = nullptr;
    }
    EXPECT_EQ(calls.size(), 2u) << "destroying a closed dialog runs no hook";

    calls.clear();
    for (int way = 0; way < 3; ++way) {
        HotkeyDialog dialog(settings, before, after);
        dialog.show();
        if (way == 0)
            FindControl<QPushButton>(&dialog, IDCANCEL)->click();
        else if (way == 1)
            dialog.close();
        // way 2: destroyed while open
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"before", "after: 88", "before", "after: 88",
                                               "before", "after: 88"}));
}

TEST_F(HotkeyDialogTest, RunHotkeyDialogReportsOk) {
    auto driver = test::ModalDriver::For<HotkeyDialog>([](HotkeyDialog* dialog) {
        QTest::keyClick(dialog->Edit(F::Exit), Qt::Key_F4, Qt::AltModifier);
        FindControl<QPushButton>(dialog, IDOK)->click();
    });
    int opened = 0;
    int closed = 0;
    EXPECT_TRUE(RunHotkeyDialog(
        nullptr, settings, [&] { ++opened; }, [&] { ++closed; }));
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(Pair(F::Exit), (HotkeyPair{0x73, kModAlt}));
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(closed, 1);
}

} // namespace
} // namespace zeb
