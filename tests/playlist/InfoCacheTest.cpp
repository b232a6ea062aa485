#include "playlist/InfoCache.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr std::time_t kDay = 86400;

// Local noon of a fixed day, away from midnight and clock changes.
std::time_t LocalNoon() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 5;
    t.tm_mday = 15;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

struct CacheWithClock {
    std::time_t now = LocalNoon();
    CInfoCache cache;
    CacheWithClock() {
        cache.SetClock([this] { return now; });
    }
};

std::string Record(std::time_t day, const std::string& path, const std::string& line) {
    return CInfoCache::DateText(day) + "\n" + path + "\n" + line + "\n";
}

TEST(InfoCacheDates, SevenDaysSurviveEightAreDropped) {
    TempDir dir;
    CacheWithClock c;
    WriteFile(dir.File("z.tgs"), Record(c.now - 7 * kDay, "/m/seven.mp3", "Seven (01:00)") +
                                     Record(c.now - 8 * kDay, "/m/eight.mp3", "Eight (01:00)") +
                                     Record(c.now, "/m/today.mp3", "Today (01:00)"));
    c.cache.Load(dir.File("z.tgs"));
    ASSERT_EQ(c.cache.Records().size(), 2u);
    EXPECT_EQ(c.cache.Records()[0].path, "/m/seven.mp3");
    EXPECT_EQ(c.cache.Records()[1].path, "/m/today.mp3");
}

TEST(InfoCacheDates, LookupRenewsTheDate) {
    TempDir dir;
    CacheWithClock c;
    WriteFile(dir.File("z.tgs"), Record(c.now - 6 * kDay, "/m/Song.mp3", "Song (02:00)"));
    c.cache.Load(dir.File("z.tgs"));
    EXPECT_EQ(c.cache.Lookup("/M/song.MP3"), "Song (02:00)") << "paths match ignoring case";
    EXPECT_EQ(c.cache.Records()[0].date, CInfoCache::DateText(c.now));
    ASSERT_TRUE(c.cache.Save(dir.File("z.tgs")));

    // Six days after the lookup the record is still young enough.
    c.now += 6 * kDay;
    c.cache.Load(dir.File("z.tgs"));
    EXPECT_EQ(c.cache.Lookup("/m/Song.mp3"), "Song (02:00)");
    EXPECT_EQ(c.cache.Lookup("/m/Other.mp3"), "");
}

TEST(InfoCacheRecords, StoreForgetAndFileLayout) {
    TempDir dir;
    CacheWithClock c;
    c.cache.Store("/a.mp3", "A (00:01)");
    c.cache.Store("/b.mp3", "B (00:02)");
    c.now += kDay;
    c.cache.Store("/A.MP3", "A2 (00:03)");
    ASSERT_EQ(c.cache.Records().size(), 2u) << "the record with that path is replaced";
    EXPECT_EQ(c.cache.Records()[0].path, "/A.MP3");
    EXPECT_EQ(c.cache.Records()[0].line, "A2 (00:03)");
    EXPECT_EQ(c.cache.Records()[0].date, CInfoCache::DateText(c.now));

    ASSERT_TRUE(c.cache.Save(dir.File("z.tgs")));
    EXPECT_EQ(ReadFile(dir.File("z.tgs")), CInfoCache::DateText(c.now) + "\n/A.MP3\nA2 (00:03)\n" +
                                               CInfoCache::DateText(c.now - kDay) +
                                               "\n/b.mp3\nB (00:02)\n");

    c.cache.Forget("/B.mp3");
    EXPECT_EQ(c.cache.Lookup("/b.mp3"), "");
    EXPECT_EQ(c.cache.Records().size(), 1u);
}

TEST(InfoCacheRecords, IncompleteLastRecordAndMissingFile) {
    TempDir dir;
    CacheWithClock c;
    c.cache.Store("/keep.mp3", "x");
    c.cache.Load(dir.File("missing.tgs"));
    EXPECT_TRUE(c.cache.Records().empty()) << "a missing file leaves the cache empty";

    WriteFile(dir.File("z.tgs"), Record(c.now, "/one.mp3", "One (00:01)") +
                                     CInfoCache::DateText(c.now) + "\r\n/two.mp3\r\n");
    c.cache.Load(dir.File("z.tgs"));
    ASSERT_EQ(c.cache.Records().size(), 1u);
    EXPECT_EQ(c.cache.Records()[0].line, "One (00:01)");
}

TEST(InfoCacheRecords, DateTextIsLocalDate) {
    const std::time_t noon = LocalNoon();
    EXPECT_EQ(CInfoCache::DateText(noon), "20240615");
    EXPECT_EQ(CInfoCache::MidnightOf("20240615"), noon - 12 * 3600);
}

} // namespace
} // namespace zeb
