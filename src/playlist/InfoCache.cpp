#include "playlist/InfoCache.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "playlist/InfoLine.h"
#include "playlist/PlaylistReader.h"
#include "playlist/PlaylistWriter.h"

#include <cstdio>
#include <optional>

namespace zeb {

namespace {

constexpr long kSecondsPerDay = 86400;
constexpr long kKeepDays = 7;

// Decimal value of the digits at text[pos, pos + count); non-digits count 0.
int DecimalAt(std::string_view text, size_t pos, size_t count) {
    int value = 0;
    for (size_t i = pos; i < pos + count && i < text.size(); ++i) {
        const char c = text[i];
        value = value * 10 + ((c >= '0' && c <= '9') ? c - '0' : 0);
    }
    return value;
}

} // namespace

CInfoCache::CInfoCache() : clock_([] { return std::time(nullptr); }) {}

std::string CInfoCache::DateText(std::time_t t) {
    std::tm local{};
    ::localtime_r(&t, &local);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

std::time_t CInfoCache::MidnightOf(std::string_view date) {
    std::tm local{};
    local.tm_year = DecimalAt(date, 0, 4) - 1900;
    local.tm_mon = DecimalAt(date, 4, 2) - 1;
    local.tm_mday = DecimalAt(date, 6, 2);
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void CInfoCache::Append(InfoCacheRecord record) {
    if (index_.contains(record.path))
        return;
    records_.push_back(std::move(record));
    index_.emplace(records_.back().path, std::prev(records_.end()));
}

const std::string& CInfoCache::Today() const {
    const std::time_t now = clock_();
    if (now != todayAt_) {
        today_ = DateText(now);
        todayAt_ = now;
    }
    return today_;
}

std::vector<InfoCacheRecord> CInfoCache::ReadFresh(const std::string& file) const {
    std::vector<InfoCacheRecord> fresh;
    const std::optional<std::string> text = ReadTextFile(file);
    if (!text)
        return fresh;
    const std::vector<std::string> lines = SplitTrimmedLines(*text);
    const std::time_t now = clock_();
    // Records share few dates: judge each date once.
    std::unordered_map<std::string, bool> freshDates;
    const auto isFresh = [&](const std::string& date) {
        const auto [it, added] = freshDates.try_emplace(date, false);
        if (added) {
            const long days =
                static_cast<long>(std::difftime(now, MidnightOf(date))) / kSecondsPerDay;
            it->second = days <= kKeepDays;
        }
        return it->second;
    };
    for (size_t i = 0; i + 2 < lines.size(); i += 3) {
        if (!isFresh(lines[i]))
            continue;
        std::string path = LocalPathOfFileAddress(lines[i + 1]).value_or(lines[i + 1]);
        fresh.push_back({lines[i], std::move(path), lines[i + 2]});
    }
    return fresh;
}

void CInfoCache::Load(const std::string& file) {
    RemoveStaleTemporaries(file);
    Clear();
    std::vector<InfoCacheRecord> fresh = ReadFresh(file);
    index_.reserve(fresh.size());
    for (InfoCacheRecord& record : fresh)
        Append(std::move(record));
}

bool CInfoCache::Save(const std::string& file) const {
    const FileLock lock(file);
    std::string text;
    const auto put = [&text](const InfoCacheRecord& r) {
        text += r.date + '\n' + PathAsSingleLine(r.path) + '\n' + SingleLineText(r.line) + '\n';
    };
    for (const InfoCacheRecord& r : records_)
        put(r);
    std::unordered_map<std::string, bool, PathHash, std::equal_to<>> added;
    for (const InfoCacheRecord& r : ReadFresh(file)) {
        if (!index_.contains(r.path) && !forgotten_.contains(r.path) &&
            added.emplace(r.path, true).second)
            put(r);
    }
    return WriteFileAtomically(file, text);
}

CInfoCache::RecordList::iterator CInfoCache::Find(std::string_view path) {
    const auto it = index_.find(path);
    return it == index_.end() ? records_.end() : it->second;
}

std::string CInfoCache::Lookup(std::string_view path) {
    const auto it = Find(path);
    if (it == records_.end())
        return {};
    it->date = Today();
    return it->line;
}

void CInfoCache::Store(std::string_view path, std::string line) {
    const auto it = Find(path);
    if (it == records_.end()) {
        Append({Today(), std::string(path), std::move(line)});
        return;
    }
    it->date = Today();
    it->line = std::move(line);
}

void CInfoCache::Forget(std::string_view path) {
    const auto it = index_.find(path);
    if (it == index_.end())
        return;
    forgotten_.insert(it->first);
    records_.erase(it->second);
    index_.erase(it);
}

std::vector<InfoCacheRecord> CInfoCache::Records() const {
    return {records_.begin(), records_.end()};
}

void CInfoCache::Clear() {
    records_.clear();
    index_.clear();
    forgotten_.clear();
}

} // namespace zeb
