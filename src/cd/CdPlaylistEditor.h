#pragma once

#include "cd/CdTitleDatabase.h"

#include <string>
#include <vector>

namespace zeb {

// What the CD playlist dialog edits: a disc's artist, title, track names and
// play order, read from the title database when it opens and written back in
// one store. The dialog shows two lists of "name (mm:ss)" lines: the disc's
// tracks in disc order ("available") and the play order being edited.
class CdPlaylistEditor {
public:
    // trackLengths holds, for each track of the disc, the reply to its length
    // query; the first five characters ("mm:ss") are shown. With no disc (key
    // kNoDisc) the lists stay empty and Save writes nothing. A stored order's
    // entries that name no track of the disc are dropped; with no stored
    // order the play order starts as all tracks in disc order.
    CdPlaylistEditor(CdTitleDatabase& db, std::string key,
                     const std::vector<std::string>& trackLengths);

    const std::string& Artist() const { return artist_; }
    const std::string& Title() const { return title_; }
    // Saving is allowed when both were non-empty at the start, and after an
    // edit exactly when the field just edited is non-empty.
    void SetArtist(std::string artist);
    void SetTitle(std::string title);
    bool CanSave() const { return canSave_; }

    int TrackCount() const { return static_cast<int>(names_.size()); }
    std::vector<std::string> AvailableLines() const;
    std::vector<std::string> OrderLines() const;
    // The play order as 1-based track numbers.
    const std::vector<int>& Order() const { return order_; }
    // The name of available entry `index` (0-based), as the name edit shows it.
    const std::string& TrackName(int index) const { return names_.at(static_cast<size_t>(index)); }

    // Renames available entry `index` (its lines in both lists change) and
    // returns the entry to select next: the following one, the first after
    // the last. An empty name or an index out of range changes nothing and
    // returns the index.
    int SetName(int index, const std::string& name);
    // Appends available entry `index`'s track to the play order; false when
    // it is there already (a track appears at most once) or out of range.
    bool Add(int index);
    // Removes entry `orderIndex` of the play order; false when out of range.
    bool Remove(int orderIndex);

    // Stores artist, title, every track name, the order and the counts in
    // one write. False with no disc or when the file could not be written.
    bool Save();

private:
    std::string LineOf(int track) const;

    CdTitleDatabase& db_;
    std::string key_;
    std::string artist_;
    std::string title_;
    bool canSave_ = false;
    std::vector<std::string> names_;   // by track, 0-based
    std::vector<std::string> lengths_; // "mm:ss" by track
    std::vector<int> order_;
};

} // namespace zeb
