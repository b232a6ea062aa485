#include "ui/HotkeyDialog.h"

#include "platform/VirtualKeys.h"
#include "resources/DialogTexts.h"
#include "resources/LanguageResources.h"
#include "resources/ResourceIds.h"
#include "shell/HotkeyTable.h"
#include "ui/DialogControls.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace zeb {

namespace {

bool IsModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
        return true;
    default:
        return false;
    }
}

int ModifierBits(Qt::KeyboardModifiers modifiers) {
    int bits = 0;
    if (modifiers & Qt::AltModifier)
        bits |= kModAlt;
    if (modifiers & Qt::ControlModifier)
        bits |= kModControl;
    if (modifiers & Qt::ShiftModifier)
        bits |= kModShift;
    return bits;
}

// Keys that keep their dialog meaning when pressed without modifiers.
bool IsDialogKey(int key) {
    return key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter ||
           key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

} // namespace

QString HotkeyText(HotkeyPair hotkey) {
    if (hotkey.key == 0)
        return {};
    QString text;
    if (hotkey.mod & kModControl)
        text += QStringLiteral("Ctrl+");
    if (hotkey.mod & kModAlt)
        text += QStringLiteral("Alt+");
    if (hotkey.mod & kModShift)
        text += QStringLiteral("Shift+");
    return text + QString::fromStdString(VirtualKeyName(hotkey.key));
}

HotkeyEdit::HotkeyEdit(QWidget* parent) : QLineEdit(parent) {
    setReadOnly(true); // typed text never lands here; key presses are captured
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HotkeyEdit::SetHotkey(HotkeyPair hotkey) {
    hotkey_ = hotkey;
    setText(HotkeyText(hotkey));
}

bool HotkeyEdit::event(QEvent* e) {
    // Take combinations before the dialog's shortcuts (Alt+letter) do.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (ModifierBits(key->modifiers()) != 0 || !IsDialogKey(key->key())) {
            e->accept();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void HotkeyEdit::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    int bits = ModifierBits(e->modifiers());
    if (bits == 0 && IsDialogKey(key)) {
        e->ignore(); // to the dialog
        return;
    }
    e->accept();
    if (IsModifierKey(key))
        return;
    if (bits == 0 && key == Qt::Key_Backspace) {
        SetHotkey({});
        emit HotkeyChanged();
        return;
    }
    const int vk = VirtualKeyFromQtKey(key, e->modifiers() & Qt::KeypadModifier);
    if (vk == 0)
        return;
    if (bits == 0)
        bits = kModControl | kModAlt;
    SetHotkey({vk, bits});
    emit HotkeyChanged();
}

HotkeyDialog::HotkeyDialog(MainWndSettings& settings, std::function<void()> beforeOpen,
                           std::function<void()> afterClose, QWidget* parent)
    : QDialog(parent), settings_(settings), beforeOpen_(std::move(beforeOpen)),
      afterClose_(std::move(afterClose)) {
    const int language = settings.Language;
    auto text = [language](int control) {
        return FromUtf8(UiDialogText(language, IDD_HOTKEYS, control));
    };
    setObjectName(QStringLiteral("dlg-%1").arg(LocalizedResourceId(language, IDD_HOTKEYS)));
    setWindowTitle(text(kDialogCaption));

    // Two columns of label and control, in the table's order.
    auto* grid = new QGridLayout;
    const int rows = (kHotkeyFunctionCount + 1) / 2;
    for (int i = 0; i < kHotkeyFunctionCount; ++i) {
        const HotkeyEntry& entry = kHotkeyTable[size_t(i)];
        auto* edit = new HotkeyEdit(this);
        SetControlId(edit, entry.controlId);
        edit->setMinimumWidth(150);
        edit->SetHotkey(HotkeyPairOf(settings, entry.function));
        auto* label = new QLabel(text(entry.controlId), this);
        label->setBuddy(edit);
        const int row = i % rows;
        const int column = (i / rows) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        edits_[entry.function] = edit;
    }

    auto* note = new QLabel(text(IDC_HK_SCROLL_LOCK_NOTE), this);
    SetControlId(note, IDC_HK_SCROLL_LOCK_NOTE);

    QDialogButtonBox* buttons = AddOkCancel(this, text(IDOK), text(IDCANCEL));
    // A focused button does not take over the default role: OK stays it.
    for (QPushButton* button : buttons->findChildren<QPushButton*>())
        button->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(buttons);
    edits_.at(kHotkeyTable.front().function)->setFocus();
}

HotkeyDialog::~HotkeyDialog() {
    CloseHooks();
}

HotkeyEdit* HotkeyDialog::Edit(HotkeyFunction function) const {
    auto it = edits_.find(function);
    return it == edits_.end() ? nullptr : it->second;
}

void HotkeyDialog::setVisible(bool visible) {
    if (visible && !open_) {
        open_ = true;
        if (beforeOpen_)
            beforeOpen_();
    }
    QDialog::setVisible(visible);
}

void HotkeyDialog::done(int result) {
    if (result == QDialog::Accepted) {
        for (const auto& [function, edit] : edits_)
            settings_.Hotkeys[size_t(function)] = edit->Hotkey();
    }
    QDialog::done(result);
    CloseHooks();
}

void HotkeyDialog::CloseHooks() {
    if (!open_)
        return;
    open_ = false;
    if (afterClose_)
        afterClose_();
}

bool RunHotkeyDialog(QWidget* parent, MainWndSettings& settings, std::function<void()> beforeOpen,
                     std::function<void()> afterClose) {
    QPointer<HotkeyDialog> dialog =
        new HotkeyDialog(settings, std::move(beforeOpen), std::move(afterClose), parent);
    const int result = dialog->exec();
    delete dialog;
    return result == QDialog::Accepted;
}

} // namespace zeb
