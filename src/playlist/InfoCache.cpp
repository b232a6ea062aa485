#include "playlist/InfoCache.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

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

bool ReadTrimmedLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line))
        return false;
    line = std::string(Trim(line));
    return true;
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

void CInfoCache::Load(const std::string& file) {
    records_.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    const std::time_t now = clock_();
    InfoCacheRecord record;
    while (ReadTrimmedLine(in, record.date) && ReadTrimmedLine(in, record.path) &&
           ReadTrimmedLine(in, record.line)) {
        const long days =
            static_cast<long>(std::difftime(now, MidnightOf(record.date))) / kSecondsPerDay;
        if (days <= kKeepDays)
            records_.push_back(record);
    }
}

bool CInfoCache::Save(const std::string& file) const {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return false;
    for (const InfoCacheRecord& r : records_)
        out << r.date << '\n' << r.path << '\n' << r.line << '\n';
    out.flush();
    return static_cast<bool>(out);
}

std::vector<InfoCacheRecord>::iterator CInfoCache::Find(std::string_view path) {
    return std::find_if(records_.begin(), records_.end(),
                        [&](const InfoCacheRecord& r) { return EqualsIgnoreCase(r.path, path); });
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
        records_.push_back({Today(), std::string(path), std::move(line)});
        return;
    }
    *it = {Today(), std::string(path), std::move(line)};
}

void CInfoCache::Forget(std::string_view path) {
    const auto it = Find(path);
    if (it != records_.end())
        records_.erase(it);
}

} // namespace zeb
