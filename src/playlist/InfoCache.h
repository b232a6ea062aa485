#pragma once

#include <ctime>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
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
// record, records kept for 7 days after their last use. Paths match exactly
// (file names differing in letter case are different files), through a hash
// index, so restoring a long list with its info lines stays linear. Not
// thread-safe by itself: CPlaylistModel guards it with its lock.
class CInfoCache {
public:
    using Clock = std::function<std::time_t()>;

    CInfoCache();

    // Replaces the time source (tests move "now" about).
    void SetClock(Clock clock) { clock_ = std::move(clock); }

    // Replaces the records with the file's records that are at most 7 whole
    // days old; a missing file leaves the cache empty. An incomplete last
    // record is dropped, and so is a later record of a path already read.
    void Load(const std::string& file);
    // Replaces the file atomically with every record in cache order, followed
    // by the records another process saved in the meantime for paths this
    // cache neither holds nor forgot since it was loaded (under a lock on the file, so concurrent
    // saves keep each other's records). False when the file could not be written (callers ignore
    // it).
    bool Save(const std::string& file) const;

    // The line of the record for path; its date becomes today. Empty when
    // there is none.
    std::string Lookup(std::string_view path);
    // Sets the record for path to today and line, or appends one.
    void Store(std::string_view path, std::string line);
    // Removes the record for path.
    void Forget(std::string_view path);

    // The records in cache order.
    std::vector<InfoCacheRecord> Records() const;
    void Clear();

    // "YYYYMMDD" of the local date at time t.
    static std::string DateText(std::time_t t);
    // Local midnight of a "YYYYMMDD" text.
    static std::time_t MidnightOf(std::string_view date);

private:
    using RecordList = std::list<InfoCacheRecord>;
    struct PathHash {
        using is_transparent = void;
        size_t operator()(std::string_view path) const {
            return std::hash<std::string_view>{}(path);
        }
    };

    // Today's date text; worked out again only when the clock moved on.
    const std::string& Today() const;
    RecordList::iterator Find(std::string_view path);
    void Append(InfoCacheRecord record);
    // The file's records young enough to keep, in file order.
    std::vector<InfoCacheRecord> ReadFresh(const std::string& file) const;

    Clock clock_;
    mutable std::time_t todayAt_ = -1;
    mutable std::string today_;
    RecordList records_;
    std::unordered_map<std::string, RecordList::iterator, PathHash, std::equal_to<>> index_;
    std::unordered_set<std::string, PathHash, std::equal_to<>> forgotten_;
};

} // namespace zeb
