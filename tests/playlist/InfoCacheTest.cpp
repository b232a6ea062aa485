#include "playlist/InfoCache.h"

#include "support/TempDir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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
    EXPECT_EQ(c.cache.Lookup("/m/Song.mp3"), "Song (02:00)");
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
    c.cache.Store("/a.mp3", "A2 (00:03)");
    ASSERT_EQ(c.cache.Records().size(), 2u) << "the record with that path is replaced";
    EXPECT_EQ(c.cache.Records()[0].path, "/a.mp3");
    EXPECT_EQ(c.cache.Records()[0].line, "A2 (00:03)");
    EXPECT_EQ(c.cache.Records()[0].date, CInfoCache::DateText(c.now));

    ASSERT_TRUE(c.cache.Save(dir.File("z.tgs")));
    EXPECT_EQ(ReadFile(dir.File("z.tgs")), CInfoCache::DateText(c.now) + "\n/a.mp3\nA2 (00:03)\n" +
                                               CInfoCache::DateText(c.now - kDay) +
                                               "\n/b.mp3\nB (00:02)\n");

    c.cache.Forget("/b.mp3");
    EXPECT_EQ(c.cache.Lookup("/b.mp3"), "");
    EXPECT_EQ(c.cache.Records().size(), 1u);
}

// On Linux names differing in letter case are different files, each with a
// line of its own.
TEST(InfoCacheRecords, PathsMatchExactly) {
    TempDir dir;
    CacheWithClock c;
    c.cache.Store("/m/Song.mp3", "Upper (01:00)");
    EXPECT_EQ(c.cache.Lookup("/m/song.mp3"), "");
    c.cache.Store("/m/song.mp3", "Lower (02:00)");
    c.cache.Forget("/M/SONG.MP3");
    ASSERT_TRUE(c.cache.Save(dir.File("z.tgs")));
    c.cache.Load(dir.File("z.tgs"));
    EXPECT_EQ(c.cache.Lookup("/m/Song.mp3"), "Upper (01:00)");
    EXPECT_EQ(c.cache.Lookup("/m/song.mp3"), "Lower (02:00)");
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

// Two processes share the cache file: a save keeps the records the other one
// saved meanwhile, and a failed save leaves the old file whole.
TEST(InfoCacheFile, SavesKeepOtherRecordsAndFailuresChangeNothing) {
    TempDir dir;
    const std::string file = dir.File("z.tgs");
    CacheWithClock first, second;
    first.cache.Load(file);
    second.cache.Load(file);
    first.cache.Store("/first.mp3", "First (00:01)");
    second.cache.Store("/second.mp3", "Second (00:02)");
    second.cache.Store("/both.mp3", "Second's (00:03)");
    first.cache.Store("/both.mp3", "First's (00:03)");
    ASSERT_TRUE(first.cache.Save(file));
    ASSERT_TRUE(second.cache.Save(file));
    CacheWithClock reader;
    reader.cache.Load(file);
    EXPECT_EQ(reader.cache.Lookup("/first.mp3"), "First (00:01)");
    EXPECT_EQ(reader.cache.Lookup("/second.mp3"), "Second (00:02)");
    EXPECT_EQ(reader.cache.Lookup("/both.mp3"), "Second's (00:03)") << "the later save wins";
    reader.cache.Forget("/first.mp3");
    ASSERT_TRUE(reader.cache.Save(file));
    reader.cache.Load(file);
    EXPECT_EQ(reader.cache.Lookup("/first.mp3"), "") << "a forgotten record does not come back";

    const std::string before = ReadFile(file);
    for (int i = 0; i < 2000; ++i)
        first.cache.Store("/many/" + std::to_string(i) + ".mp3", "Some line (00:01)");
    {
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit was{};
        ::getrlimit(RLIMIT_FSIZE, &was);
        rlimit small = was;
        small.rlim_cur = 4096;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = first.cache.Save(file);
        ::setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(saved);
    }
    EXPECT_EQ(ReadFile(file), before);
}

TEST(InfoCacheFile, PathsWithLineBreaksReadBack) {
    TempDir dir;
    CacheWithClock c;
    c.cache.Store("/m/a\nb.mp3", "A\nB (00:01)");
    c.cache.Store("/m/c.mp3", "C (00:02)");
    ASSERT_TRUE(c.cache.Save(dir.File("z.tgs")));
    c.cache.Load(dir.File("z.tgs"));
    ASSERT_EQ(c.cache.Records().size(), 2u);
    EXPECT_EQ(c.cache.Lookup("/m/a\nb.mp3"), "A B (00:01)");
    EXPECT_EQ(c.cache.Lookup("/m/c.mp3"), "C (00:02)");
}

TEST(InfoCacheRecords, DateTextIsLocalDate) {
    const std::time_t noon = LocalNoon();
    EXPECT_EQ(CInfoCache::DateText(noon), "20240615");
    EXPECT_EQ(CInfoCache::MidnightOf("20240615"), noon - 12 * 3600);
}

} // namespace
} // namespace zeb
