#pragma once

#include <array>
#include <string>
#include <vector>

namespace zeb {

class EqualizerFactors;
struct MainWndSettings;

// The equalizer window's logic over the main window's settings: the eleven
// bar positions (0..20, the preamplifier first, then EQ1 ... EQ10), the
// on/off box and the sorted list of preset names. Every change the user makes
// is written to the settings and applied to the engine's factors at once.
class EqualizerView {
public:
    static constexpr int kBarCount = 11;
    static constexpr int kMaxPosition = 20;
    static constexpr int kMiddlePosition = 10;

    EqualizerView(MainWndSettings& settings, EqualizerFactors& factors);

    // Bars and box from the settings, the list filled from the presets; the
    // stored list entry EQPreset is then chosen, so its letters win over the
    // stored steps. An index that is not in the list selects nothing.
    void Open();

    int Position(int bar) const { return positions_[static_cast<size_t>(bar)]; }
    bool Enabled() const { return enabled_; }
    // The preset names in list order (sorted, ignoring case).
    const std::vector<std::string>& ListNames() const { return names_; }
    // The selected list entry, or -1.
    int Selection() const { return selection_; }

    // The bar position for a pointer at `y` in a bar `height` pixels high:
    // the top gives 20, the bottom 0, the rest rounds to the nearest step.
    static int PositionFromPointer(int y, int height);

    // The on/off box was clicked.
    void SetEnabled(bool on);
    // A bar was pressed or dragged to `position`: the preset no longer holds.
    void MoveBar(int bar, int position);
    // Every bar to the middle; no preset.
    void Reset();
    // The list entry `index` was chosen: its preset's letters set the bars.
    void ChoosePreset(int index);
    // The bars saved under `name`: an existing preset of exactly that name is
    // replaced, else one is added. The saved name becomes the selection.
    void SavePreset(const std::string& name);
    // Removes the selected entry's preset; nothing without a selection.
    void DeletePreset();

private:
    void Apply();
    void Select(int index);
    void SetPositionsFromPreset(const std::string& name);
    int InsertName(const std::string& name);
    std::vector<std::string>::iterator FindPreset(const std::string& name);

    MainWndSettings& settings_;
    EqualizerFactors& factors_;
    std::array<int, kBarCount> positions_{};
    bool enabled_ = false;
    std::vector<std::string> names_;
    int selection_ = -1;
};

} // namespace zeb
