#include "cd/CdPlaylistEditor.h"

#include <algorithm>

namespace zeb {

CdPlaylistEditor::CdPlaylistEditor(CdTitleDatabase& db, std::string key,
                                   const std::vector<std::string>& trackLengths)
    : db_(db), key_(std::move(key)) {
    artist_ = db_.Artist(key_, false);
    title_ = db_.Title(key_, false);
    canSave_ = !artist_.empty() && !title_.empty();
    if (key_ == CdTitleDatabase::kNoDisc)
        return;
    const int count = static_cast<int>(trackLengths.size());
    for (int track = 1; track <= count; ++track) {
        names_.push_back(db_.TrackName(key_, track));
        lengths_.push_back(trackLengths[static_cast<size_t>(track - 1)].substr(0, 5));
    }
    for (int track : db_.Order(key_)) {
        if (track <= count)
            order_.push_back(track);
    }
    if (db_.OrderText(key_).empty()) {
        for (int track = 1; track <= count; ++track)
            order_.push_back(track);
    }
}

void CdPlaylistEditor::SetArtist(std::string artist) {
    artist_ = std::move(artist);
    canSave_ = !artist_.empty();
}

void CdPlaylistEditor::SetTitle(std::string title) {
    title_ = std::move(title);
    canSave_ = !title_.empty();
}

std::string CdPlaylistEditor::LineOf(int track) const {
    const auto at = static_cast<size_t>(track - 1);
    return names_[at] + " (" + lengths_[at] + ")";
}

std::vector<std::string> CdPlaylistEditor::AvailableLines() const {
    std::vector<std::string> lines;
    for (int track = 1; track <= TrackCount(); ++track)
        lines.push_back(LineOf(track));
    return lines;
}

std::vector<std::string> CdPlaylistEditor::OrderLines() const {
    std::vector<std::string> lines;
    for (int track : order_)
        lines.push_back(LineOf(track));
    return lines;
}

int CdPlaylistEditor::SetName(int index, const std::string& name) {
    if (name.empty() || index < 0 || index >= TrackCount())
        return index;
    names_[static_cast<size_t>(index)] = name;
    return (index + 1) % TrackCount();
}

bool CdPlaylistEditor::Add(int index) {
    const int track = index + 1;
    if (index < 0 || index >= TrackCount() ||
        std::find(order_.begin(), order_.end(), track) != order_.end())
        return false;
    order_.push_back(track);
    return true;
}

bool CdPlaylistEditor::Remove(int orderIndex) {
    if (orderIndex < 0 || orderIndex >= static_cast<int>(order_.size()))
        return false;
    order_.erase(order_.begin() + orderIndex);
    return true;
}

bool CdPlaylistEditor::Save() {
    return db_.StoreEntry(key_, artist_, title_, names_, order_);
}

} // namespace zeb
