#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// One remembered info line: the local date it was last used ("YYYYMMDD"),
// the entry path as the entry held it, and the line.
struct InfoCacheRecord {
    std::string date;
    std::string path;
    std::string line;
};

// The persistent memory of info lines (the .tgs file): three lines per
// record, records kept for 7 days after their last use. Paths match ignoring
// case. Not thread-safe by itself: CPlaylistModel guards it with its lock.
class CInfoCache {
public:
    using Clock = std::function<std::time_t()>;

    CInfoCache();

    // Replaces the time source (tests move "now" about).
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // Replaces the records with the file's records that are at most 7 whole
    // days old; a missing file leaves the cache empty. An incomplete last
    // record is dropped.
    void Load(const std::string& file);
    // Writes every record anew in cache order; false when the file could not
    // be written (callers ignore it).
    bool Save(const std::string& file) const;

    // The line of the first record for path; its date becomes today. Empty
    // when there is none.
    std::string Lookup(std::string_view path);
    // Sets the first record for path to today and line, or appends one.
    void Store(std::string_view path, std::string line);
    // Removes the first record for path.
    void Forget(std::string_view path);

    const std::vector<InfoCacheRecord>& Records() const { return records_; }
    void Clear() { records_.clear(); }

    // "YYYYMMDD" of the local date at time t.
    static std::string DateText(std::time_t t);
    // Local midnight of a "YYYYMMDD" text.
    static std::time_t MidnightOf(std::string_view date);

private:
    std::string Today() const { return DateText(clock_()); }
    std::vector<InfoCacheRecord>::iterator Find(std::string_view path);

    Clock clock_;
    std::vector<InfoCacheRecord> records_;
};

} // namespace zeb
