#include "FrameReaderTestSupport.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

namespace zeb {
namespace {

using namespace zeb::test;

// A file played as the decoding thread does: open probe and rewind, then
// Fill from slot 0, Take and advance the counter for every frame.
struct Playback {
    Playback(const std::string& path, int slots) : on(path), bytes(ReadFile(path)) {
        EXPECT_NE(on.reader.ReadHeader(on.reader.Current()), 0);
        EXPECT_TRUE(on.reader.Rewind());
        ring.Allocate(slots);
    }
    bool Next() {
        ring.Fill(0, on.reader);
        if (!ring.Take(on.reader, body))
            return false;
        on.reader.AdvanceFrameCounter();
        return true;
    }
    // The frame just taken is the one whose header stands at `start`.
    void ExpectTaken(uint64_t start) const {
        const FrameHeader& h = on.reader.Current();
        ASSERT_EQ(h.word, Be32(bytes, start)) << "frame at " << start;
        ASSERT_EQ(0, std::memcmp(body, bytes.data() + start + 4, size_t(h.bodySize)))
            << "frame at " << start;
    }

    ReaderOn on;
    std::string bytes;
    CFrameRing ring;
    const uint8_t* body = nullptr;
};

struct Landing {
    uint64_t resume = 0;  // offset of the first frame played after the seek
    uint32_t skipped = 0; // frames the validation counted
};

// The landing validation replayed over the file's bytes: hunt the first
// word that decodes at or behind `at`, skip its frame, and stop behind a
// frame that stood where the one before it ended.
Landing ReplayLanding(const std::string& bytes, uint64_t at) {
    Landing landing{at, 0};
    for (bool clean = false; !clean;) {
        uint64_t found = landing.resume;
        FrameHeader h;
        while (found + 4 <= bytes.size() && !DecodeHeader(Be32(bytes, size_t(found)), h))
            ++found;
        if (found + 4 > bytes.size())
            break;
        clean = found == landing.resume;
        landing.resume = found + uint64_t(h.FrameLength());
        ++landing.skipped;
    }
    return landing;
}

// The index of the frame at `offset`; the frame count at the end of the file.
size_t FrameAt(const std::vector<uint64_t>& starts, uint64_t offset, uint64_t end) {
    if (offset == end)
        return starts.size();
    const auto it = std::find(starts.begin(), starts.end(), offset);
    EXPECT_NE(it, starts.end()) << "no frame starts at " << offset;
    return size_t(it - starts.begin());
}

// Plays on from the seek and checks every remaining frame and the end.
void ExpectPlaysOnFrom(Playback& play, const std::vector<uint64_t>& starts, size_t frame) {
    for (; frame < starts.size(); ++frame) {
        ASSERT_TRUE(play.Next()) << "frame " << frame;
        play.ExpectTaken(starts[frame]);
    }
    EXPECT_FALSE(play.Next());
}

// Frame offsets from the reference decoder's frame lengths. A leading Xing
// frame, which it does not report, fills the bytes its frames leave over.
std::vector<uint64_t> StartsOf(const std::string& path, uint64_t base = 0,
                               bool leadingTagFrame = false) {
    std::vector<int> lengths = RunMpg123(path).lengths;
    if (leadingTagFrame) {
        uint64_t audio = 0;
        for (int length : lengths)
            audio += uint64_t(length);
        lengths.insert(lengths.begin(), int(ReadFile(path).size() - base - audio));
    }
    return FrameStarts(lengths, base, lengths.size());
}

void PlayFrames(Playback& play, int n) {
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(play.Next());
}

// -------------------------------------------------------------- ring

TEST(FrameRing, SlotsPerInputBuffersLevel) {
    EXPECT_EQ(CFrameRing::SlotsForLevel(0), 10);
    EXPECT_EQ(CFrameRing::SlotsForLevel(1), 50);
    EXPECT_EQ(CFrameRing::SlotsForLevel(2), 100);
    EXPECT_EQ(CFrameRing::SlotsForLevel(3), 150);
    EXPECT_EQ(CFrameRing::SlotsForLevel(4), 200);
    EXPECT_EQ(CFrameRing::SlotsForLevel(5), 100);
    EXPECT_EQ(CFrameRing::SlotsForLevel(-1), 100);
    CFrameRing ring;
    EXPECT_THROW(ring.Allocate(0), EngineError);
}

TEST(FrameRing, SourceIsReadInBurstsOfNFrames) {
    const std::string path = FixturePath("cbr128.mp3");
    const auto starts = StartsOf(path);
    for (int slots : {10, 200}) {
        Playback play(path, slots);
        for (size_t frame = 0; frame < starts.size(); ++frame) {
            const uint64_t before = play.on.stream.Offset();
            ASSERT_TRUE(play.Next());
            play.ExpectTaken(starts[frame]);
            if (frame % size_t(slots) != 0) {
                EXPECT_EQ(play.on.stream.Offset(), before) << "frame " << frame;
            } else {
                const size_t next = frame + size_t(slots);
                EXPECT_EQ(play.on.stream.Offset(),
                          next < starts.size() ? starts[next] : play.on.stream.Size());
            }
        }
        EXPECT_FALSE(play.Next());
        EXPECT_FALSE(play.Next());
        play.ring.Release();
        EXPECT_FALSE(play.ring.Take(play.on.reader, play.body));
    }
}

// The source's bytes lie in memory read through /proc/self/mem, and the page
// behind them cannot be read: the hunt behind the last frame fails with a
// read error in the middle of a refill.
TEST(FrameRing, RefillStoppedByAReadErrorDoesNotReplayOldFrames) {
    const long page = ::sysconf(_SC_PAGESIZE);
    const std::string frames = ReadFixture("cbr128.mp3");
    const auto starts = StartsOf(FixturePath("cbr128.mp3"));
    const size_t nine = size_t(starts[9]);
    ASSERT_LT(nine + 8, size_t(page));

    const int memfd = ::memfd_create("frames", 0);
    ASSERT_GE(memfd, 0);
    ASSERT_EQ(::ftruncate(memfd, page), 0);
    // Two pages mapped over a one-page file: the second one has no data.
    auto* mem = static_cast<char*>(
        ::mmap(nullptr, size_t(2 * page), PROT_READ | PROT_WRITE, MAP_SHARED, memfd, 0));
    ASSERT_NE(mem, MAP_FAILED);
    std::memcpy(mem, frames.data(), nine);
    const std::string junk = Junk(size_t(page) - nine);
    std::memcpy(mem + nine, junk.data(), junk.size());

    ReaderOn on("/proc/self/mem");
    ASSERT_TRUE(on.stream.SeekTo(reinterpret_cast<uintptr_t>(mem)));
    CFrameRing ring;
    ring.Allocate(4);
    const uint8_t* body = nullptr;
    for (uint32_t frame = 0; frame < 8; ++frame) {
        ring.Fill(0, on.reader);
        ASSERT_TRUE(ring.Take(on.reader, body));
        on.reader.AdvanceFrameCounter();
    }
    EXPECT_THROW(ring.Fill(0, on.reader), EngineError);
    ASSERT_TRUE(ring.Take(on.reader, body));
    EXPECT_EQ(
        0, std::memcmp(body, frames.data() + starts[8] + 4, size_t(on.reader.Current().bodySize)));
    on.reader.AdvanceFrameCounter();
    EXPECT_FALSE(ring.Take(on.reader, body)); // slot 1 still holds frame 5

    ::munmap(mem, size_t(2 * page));
    ::close(memfd);
}

// -------------------------------------------------------------- seek

TEST(SeekPercent, ConstantBitrateStepsByTheBodySize) {
    const std::string path = FixturePath("cbr128.mp3");
    const auto starts = StartsOf(path);
    Playback play(path, 10);
    PlayFrames(play, 3);
    ASSERT_EQ(play.on.reader.Current().bodySize, 414);
    // 48483 bytes / 418 = 115 frames; 50 % of them is frame 57 at 57 x 414 bytes.
    ASSERT_TRUE(play.on.reader.SeekPercent(50, play.ring));
    const Landing landing = ReplayLanding(play.bytes, 57 * 414);
    EXPECT_EQ(play.on.reader.FrameCounter(), 57 + landing.skipped);
    ExpectPlaysOnFrom(play, starts, FrameAt(starts, landing.resume, play.bytes.size()));
}

TEST(SeekPercent, XingTableOfContents) {
    const std::string path = FixturePath("vbr-xing.mp3");
    const std::string bytes = ReadFile(path);
    const auto starts = StartsOf(path, 0, true);
    const uint32_t frames = Be32(bytes, 44), total = Be32(bytes, 48);
    for (int p : {10, 33, 50, 90, 99}) {
        Playback play(path, 10);
        PlayFrames(play, 12);
        ASSERT_EQ(play.on.reader.Xing().state, XingState::Found);
        ASSERT_TRUE(play.on.reader.SeekPercent(p, play.ring));
        const uint64_t offset = uint64_t(uint8_t(bytes[52 + size_t(p)])) * total / 256;
        const Landing landing = ReplayLanding(bytes, offset);
        EXPECT_EQ(play.on.reader.FrameCounter(), uint32_t(p) * frames / 100 + landing.skipped)
            << p << " %";
        ExpectPlaysOnFrom(play, starts, FrameAt(starts, landing.resume, bytes.size()));
    }
}

// Frame count and byte count absent: the estimate from the current frame and
// the source size. Table absent: a straight line through the bytes.
TEST(SeekPercent, XingWithoutSomeFields) {
    const std::string original = ReadFixture("vbr-xing.mp3");
    std::string noToc = original, noFrames = original;
    noToc[43] = 3;
    noFrames[43] = 6;
    noFrames.replace(44, 104, original.substr(48, 104));
    TempDir dir;
    WriteFile(dir.File("notoc.mp3"), noToc);
    WriteFile(dir.File("noframes.mp3"), noFrames);
    const auto starts = StartsOf(FixturePath("vbr-xing.mp3"), 0, true);
    const uint32_t frames = Be32(original, 44), total = Be32(original, 48);

    Playback play(dir.File("notoc.mp3"), 10);
    PlayFrames(play, 5);
    ASSERT_FALSE(play.on.reader.Xing().hasToc);
    ASSERT_TRUE(play.on.reader.SeekPercent(40, play.ring));
    Landing landing = ReplayLanding(original, uint64_t(total) * 40 / 100);
    EXPECT_EQ(play.on.reader.FrameCounter(), 40 * frames / 100 + landing.skipped);
    ExpectPlaysOnFrom(play, starts, FrameAt(starts, landing.resume, original.size()));

    Playback estimate(dir.File("noframes.mp3"), 10);
    PlayFrames(estimate, 5);
    const XingInfo& xing = estimate.on.reader.Xing();
    ASSERT_TRUE(!xing.hasFrames && xing.hasBytes && xing.hasToc);
    const FrameHeader& h = estimate.on.reader.Current();
    const uint32_t guessed = uint32_t(original.size() / uint64_t(h.FrameLength() - h.padding + 1));
    ASSERT_TRUE(estimate.on.reader.SeekPercent(40, estimate.ring));
    landing = ReplayLanding(original, uint64_t(uint8_t(original[52 + 40])) * total / 256);
    EXPECT_EQ(estimate.on.reader.FrameCounter(), 40 * guessed / 100 + landing.skipped);
    ExpectPlaysOnFrom(estimate, starts, FrameAt(starts, landing.resume, original.size()));
}

TEST(SeekPercent, FailuresLeaveTheCounterAndPosition) {
    Playback play(FixturePath("cbr128.mp3"), 10);
    PlayFrames(play, 4);
    const uint64_t offset = play.on.stream.Offset();
    EXPECT_FALSE(play.on.reader.SeekPercent(100, play.ring));
    EXPECT_EQ(play.on.reader.FrameCounter(), 4u);
    EXPECT_EQ(play.on.stream.Offset(), offset);
    ASSERT_TRUE(play.Next());
    play.ExpectTaken(StartsOf(FixturePath("cbr128.mp3"))[4]);

    play.on.stream.Close();
    EXPECT_FALSE(play.on.reader.SeekPercent(10, play.ring));
    EXPECT_EQ(play.on.reader.FrameCounter(), 5u);
}

// Frame 0 at the target is skipped by the landing check and playback goes on
// at frame 1, also when the first frame lies behind an ID3v2 tag.
TEST(SeekPercent, ToTheStartSkipsTheFirstCleanFrame) {
    const std::string plain = FixturePath("cbr128.mp3");
    Playback clean(plain, 10);
    PlayFrames(clean, 30);
    ASSERT_TRUE(clean.on.reader.SeekPercent(0, clean.ring));
    EXPECT_EQ(clean.on.reader.FrameCounter(), 1u);
    ExpectPlaysOnFrom(clean, StartsOf(plain), 1);

    const std::string tagged = FixturePath("id3v2.mp3");
    Playback id3(tagged, 10);
    PlayFrames(id3, 30);
    ASSERT_TRUE(id3.on.reader.SeekPercent(0, id3.ring));
    EXPECT_EQ(id3.on.reader.FrameCounter(), 1u);
    ExpectPlaysOnFrom(id3, StartsOf(tagged, Id3v2TagBytes(id3.bytes)), 1);
}

// The fixed RIFF skip cuts into frame 0, so the first frame found is frame
// 1; a seek to the start lands there, skips it and plays on at frame 2.
TEST(SeekPercent, ToTheStartLandsOnTheFirstFrameBehindAWrapper) {
    const std::string path = FixturePath("riff-mp3-nofact.wav");
    const auto starts = StartsOf(FixturePath("cbr128.mp3"), 58);
    Playback play(path, 10);
    PlayFrames(play, 12);
    ASSERT_EQ(play.on.reader.AudioStart(), starts[1]);
    ASSERT_TRUE(play.on.reader.SeekPercent(0, play.ring));
    EXPECT_EQ(play.on.reader.FrameCounter(), 1u);
    ASSERT_TRUE(play.Next());
    play.ExpectTaken(starts[2]);
}

// Behind a large tag (cover art) the length, the constant-bitrate step and
// the Xing table all count from the first frame, never from the file start,
// which would land inside the picture.
TEST(SeekPercent, CountsFromTheFirstFrameBehindALargeTag) {
    TempDir dir;
    const std::string cbr = EncodeWithCoverArt(dir, "cbr", "-t -b 128 --cbr");
    ASSERT_FALSE(cbr.empty());
    const std::string cbrBytes = ReadFile(cbr);
    const uint64_t tag = Id3v2TagBytes(cbrBytes);
    ASSERT_GT(tag, 400000u);
    const auto cbrStarts = StartsOf(cbr, tag);
    {
        Playback play(cbr, 10);
        play.on.reader.PublishTiming();
        EXPECT_EQ(play.on.reader.AudioStart(), tag);
        // 1152 samples at 44100 Hz per frame.
        EXPECT_NEAR(play.on.reader.LengthMs(), cbrStarts.size() * 1152 * 1000 / 44100, 27);
        PlayFrames(play, 3);
        const uint32_t frames = uint32_t((cbrBytes.size() - tag) / 418);
        ASSERT_TRUE(play.on.reader.SeekPercent(50, play.ring));
        const Landing landing = ReplayLanding(cbrBytes, tag + frames / 2 * 414);
        EXPECT_EQ(play.on.reader.FrameCounter(), frames / 2 + landing.skipped);
        ExpectPlaysOnFrom(play, cbrStarts, FrameAt(cbrStarts, landing.resume, cbrBytes.size()));
    }

    const std::string vbr = EncodeWithCoverArt(dir, "vbr", "-V 2");
    ASSERT_FALSE(vbr.empty());
    const std::string bytes = ReadFile(vbr);
    const uint64_t start = Id3v2TagBytes(bytes);
    const auto starts = StartsOf(vbr, start, true);
    ASSERT_EQ(bytes.substr(start + 36, 4), "Xing");
    const uint32_t frames = Be32(bytes, start + 44), total = Be32(bytes, start + 48);
    for (int p : {10, 50, 90}) {
        Playback play(vbr, 10);
        PlayFrames(play, 12);
        ASSERT_EQ(play.on.reader.Xing().state, XingState::Found);
        ASSERT_TRUE(play.on.reader.SeekPercent(p, play.ring));
        const uint64_t toc = uint8_t(bytes[start + 52 + size_t(p)]);
        const Landing landing = ReplayLanding(bytes, start + toc * total / 256);
        EXPECT_EQ(play.on.reader.FrameCounter(), uint32_t(p) * frames / 100 + landing.skipped)
            << p << " %";
        ExpectPlaysOnFrom(play, starts, FrameAt(starts, landing.resume, bytes.size()));
    }
}

} // namespace
} // namespace zeb
