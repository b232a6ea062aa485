#include "shell/EqualizerView.h"

#include "shell/ApplyEqualizer.h"
#include "shell/EqualizerPresets.h"
#include "shell/MainWndSettings.h"

#include <algorithm>
#include <cctype>

namespace zeb {

namespace {

// The list's order: letters compared without regard to case.
bool SortsBefore(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
}

} // namespace

EqualizerView::EqualizerView(MainWndSettings& settings, EqualizerFactors& factors)
    : settings_(settings), factors_(factors) {}

void EqualizerView::Open() {
    positions_[0] = std::clamp(settings_.Preamp + kMiddlePosition, 0, kMaxPosition);
    for (size_t band = 0; band < settings_.EQ.size(); ++band)
        positions_[band + 1] = std::clamp(settings_.EQ[band] + kMiddlePosition, 0, kMaxPosition);
    enabled_ = settings_.EnableEQ != 0;
    names_.clear();
    for (const std::string& preset : settings_.EqPresets)
        InsertName(std::string(PresetName(preset)));
    const int stored = settings_.EQPreset;
    if (stored >= 0 && stored < static_cast<int>(names_.size())) {
        ChoosePreset(stored);
    } else {
        selection_ = -1;
        settings_.EQPreset = -1;
    }
}

int EqualizerView::PositionFromPointer(int y, int height) {
    if (height <= 0)
        return 0;
    const double h = height;
    const int position = static_cast<int>((h - y + 0.025 * h) * kMaxPosition / h);
    return std::clamp(position, 0, kMaxPosition);
}

void EqualizerView::SetEnabled(bool on) {
    enabled_ = on;
    Apply();
}

void EqualizerView::MoveBar(int bar, int position) {
    if (bar < 0 || bar >= kBarCount)
        return;
    positions_[static_cast<size_t>(bar)] = std::clamp(position, 0, kMaxPosition);
    Apply();
    Select(-1);
}

void EqualizerView::Reset() {
    positions_.fill(kMiddlePosition);
    Apply();
    Select(-1);
}

void EqualizerView::ChoosePreset(int index) {
    if (index < 0 || index >= static_cast<int>(names_.size()))
        return;
    Select(index);
    SetPositionsFromPreset(names_[static_cast<size_t>(index)]);
    Apply();
}

void EqualizerView::SavePreset(const std::string& name) {
    const std::string letters = PresetLettersFor(positions_);
    auto existing = FindPreset(name);
    int index = -1;
    if (existing != settings_.EqPresets.end()) {
        *existing = MakePreset(name, letters);
        auto listed = std::find(names_.begin(), names_.end(), name);
        index =
            listed == names_.end() ? InsertName(name) : static_cast<int>(listed - names_.begin());
    } else {
        settings_.EqPresets.push_back(MakePreset(name, letters));
        index = InsertName(name);
    }
    Select(index);
}

void EqualizerView::DeletePreset() {
    if (selection_ < 0)
        return;
    const std::string name = names_[static_cast<size_t>(selection_)];
    auto preset = FindPreset(name);
    if (preset != settings_.EqPresets.end())
        settings_.EqPresets.erase(preset);
    names_.erase(names_.begin() + selection_);
    Select(-1);
}

void EqualizerView::Apply() {
    settings_.EnableEQ = enabled_ ? 1 : 0;
    settings_.Preamp = positions_[0] - kMiddlePosition;
    for (size_t band = 0; band < settings_.EQ.size(); ++band)
        settings_.EQ[band] = positions_[band + 1] - kMiddlePosition;
    ApplyEqualizer(settings_, factors_);
}

void EqualizerView::Select(int index) {
    selection_ = index;
    settings_.EQPreset = index;
}

void EqualizerView::SetPositionsFromPreset(const std::string& name) {
    auto preset = FindPreset(name);
    if (preset != settings_.EqPresets.end())
        positions_ = PresetPositions(PresetLetters(*preset));
}

// Inserted after the names that sort before it or equal it, as a sorted
// list adds an item; gives the new entry's index.
int EqualizerView::InsertName(const std::string& name) {
    auto at = std::upper_bound(names_.begin(), names_.end(), name, SortsBefore);
    const auto index = at - names_.begin();
    names_.insert(at, name);
    return static_cast<int>(index);
}

std::vector<std::string>::iterator EqualizerView::FindPreset(const std::string& name) {
    return std::find_if(settings_.EqPresets.begin(), settings_.EqPresets.end(),
                        [&name](const std::string& preset) { return PresetName(preset) == name; });
}

} // namespace zeb
