#pragma once

#include "shell/EqualizerView.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;

namespace zeb {

class CMainWnd;
class EqualizerBar;

// Dialog 105 (155 in Russian), modeless: the preamplifier and ten band bars,
// the on/off box, the preset list with save and delete, and reset. Every
// change reaches the engine's factors at once. It opens at EqualizerX,
// EqualizerY (-1000 centres it) inside the work area; closing stores its
// position there and deletes it (Closed is emitted first). With EQOnTop it
// stays above other windows and has no task-bar button; its context menu
// toggles that. Esc closes it.
class EqualizerWindow : public QDialog {
    Q_OBJECT
public:
    explicit EqualizerWindow(CMainWnd& wnd, QWidget* parent = nullptr);

    const EqualizerView& View() const { return view_; }

    // "Altid øverst": toggles EQOnTop and the window's stacking.
    void ToggleOnTop();
    // Its position into EqualizerX and EqualizerY (closing does this).
    void StorePosition();

    void reject() override;

signals:
    // Always-on-top was toggled: windows that must stay above it follow.
    void OnTopToggled();
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void ShowBars();
    void ShowList();
    void MoveBar(int bar, int position);
    void SavePreset();
    void DeletePreset();
    void ApplyOnTop();
    void PlaceAtStoredPosition();

    CMainWnd& wnd_;
    EqualizerView view_;
    std::array<EqualizerBar*, EqualizerView::kBarCount> bars_{};
    QCheckBox* enable_ = nullptr;
    QComboBox* presets_ = nullptr;
};

} // namespace zeb
