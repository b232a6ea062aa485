#include "FrameReaderTestSupport.h"
#include "engine/EngineError.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace zeb {
namespace {

using namespace zeb::test;

struct FixtureFacts {
    const char* name;
    int layer;
    int rate;
    int channels;
    bool leadingTagFrame; // a LAME Xing/Info frame that mpg123 does not count
};

const FixtureFacts kFixtures[] = {
    {"cbr128.mp3", 3, 44100, 2, false},       {"cbr128-info.mp3", 3, 44100, 2, true},
    {"vbr-xing.mp3", 3, 44100, 2, true},      {"mono.mp3", 3, 44100, 1, false},
    {"mpeg1-48000.mp3", 3, 48000, 2, false},  {"mpeg1-32000.mp3", 3, 32000, 2, false},
    {"mpeg2-22050.mp3", 3, 22050, 2, false},  {"mpeg2-24000.mp3", 3, 24000, 2, false},
    {"mpeg2-16000.mp3", 3, 16000, 2, false},  {"mpeg25-11025.mp3", 3, 11025, 2, false},
    {"mpeg25-12000.mp3", 3, 12000, 2, false}, {"mpeg25-8000.mp3", 3, 8000, 2, false},
    {"layer2.mp2", 2, 44100, 2, false},
};

void PrintTo(const FixtureFacts& facts, std::ostream* os) {
    *os << facts.name;
}

class FrameWalk : public ::testing::TestWithParam<FixtureFacts> {};

// Every frame is found where the one before it ended, with the length and
// count the reference decoder reports, up to the last byte of the file.
TEST_P(FrameWalk, MatchesTheReferenceDecoder) {
    const FixtureFacts& facts = GetParam();
    const std::string path = FixturePath(facts.name);
    ReaderOn on(path);
    const auto frames = WalkFrames(on);
    const Mpg123Report ref = RunMpg123(path);

    const size_t tagFrames = facts.leadingTagFrame ? 1 : 0;
    ASSERT_EQ(frames.size(), size_t(ref.frames) + tagFrames);
    ASSERT_EQ(ref.lengths.size(), size_t(ref.frames));
    for (size_t i = 0; i < frames.size(); ++i) {
        const FrameHeader& h = frames[i].header;
        EXPECT_EQ(frames[i].result, 1) << "frame " << i;
        if (i >= tagFrames) {
            EXPECT_EQ(h.FrameLength(), ref.lengths[i - tagFrames]) << "frame " << i;
        }
        EXPECT_EQ(h.layer, facts.layer);
        EXPECT_EQ(SamplingRateOf(h), facts.rate);
        EXPECT_EQ(h.channels, facts.channels);
    }
    EXPECT_EQ(frames.back().start + uint64_t(frames.back().header.FrameLength()), on.stream.Size());
    EXPECT_EQ(on.stream.Offset(), on.stream.Size());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FrameWalk, ::testing::ValuesIn(kFixtures), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
});

TEST(FrameSearch, Id3v2TagIsSkippedBySize) {
    const std::string bytes = ReadFixture("id3v2.mp3");
    const uint32_t size = Be32(bytes, 6);
    const uint64_t tag = (size >> 24 & 0x7F) << 21 | (size >> 16 & 0x7F) << 14 |
                         (size >> 8 & 0x7F) << 7 | (size & 0x7F);
    ReaderOn on(FixturePath("id3v2.mp3"));
    EXPECT_EQ(on.reader.ReadHeader(on.reader.Current()), 2);
    EXPECT_EQ(on.stream.Offset(), 10 + tag + 4);
    EXPECT_EQ(on.reader.Current().word, Be32(bytes, 10 + tag));
    EXPECT_EQ(on.reader.FirstWord(), 0u);
}

TEST(FrameSearch, RiffWaveWithFactChunkStartsAtByte70) {
    ReaderOn on(FixturePath("riff-mp3.wav"));
    const auto frames = WalkFrames(on);
    ReaderOn plain(FixturePath("cbr128.mp3"));
    ASSERT_EQ(frames.size(), WalkFrames(plain).size());
    EXPECT_EQ(frames[0].result, 2);
    EXPECT_EQ(frames[0].start, 70u);
    EXPECT_EQ(frames[1].result, 1);
    EXPECT_EQ(on.reader.FirstWord(), 0u);
}

// Behind the 66-byte skip lies the middle of frame 0; the hunt finds frame 1.
TEST(FrameSearch, RiffWaveWithDataElsewhereIsFoundByResync) {
    const std::string bytes = ReadFixture("riff-mp3-nofact.wav");
    const Mpg123Report ref = RunMpg123(FixturePath("cbr128.mp3"));
    const uint64_t frame1 = 58 + uint64_t(ref.lengths.at(0));
    ReaderOn on(FixturePath("riff-mp3-nofact.wav"));
    EXPECT_GT(on.reader.ReadHeader(on.reader.Current()), 1);
    EXPECT_EQ(on.stream.Offset(), frame1 + 4);
    EXPECT_EQ(on.reader.FirstWord(), Be32(bytes, frame1));
}

TEST(FrameSearch, JunkAndSyncRunsInFrontAreHuntedThrough) {
    const size_t count = size_t(RunMpg123(FixturePath("cbr128.mp3")).frames);
    for (auto [name, first] : {std::pair{"junk-front.mp3", 1000}, std::pair{"ff-front.mp3", 500}}) {
        ReaderOn on(FixturePath(name));
        const auto frames = WalkFrames(on);
        ASSERT_EQ(frames.size(), count) << name;
        EXPECT_EQ(frames[0].result, 2) << name;
        EXPECT_EQ(frames[0].start, uint64_t(first)) << name;
        EXPECT_EQ(frames[1].result, 1) << name;
        EXPECT_EQ(on.reader.FirstWord(), frames[0].header.word) << name;
    }
}

TEST(FrameSearch, ResyncGivesUpAfter65536Bytes) {
    const std::string frames = ReadFixture("cbr128.mp3");
    TempDir dir;
    WriteFile(dir.File("near.mp3"), Junk(65536) + frames);
    WriteFile(dir.File("far.mp3"), Junk(65537) + frames);
    ReaderOn near(dir.File("near.mp3"));
    EXPECT_EQ(near.reader.ReadHeader(near.reader.Current()), 2);
    EXPECT_EQ(near.stream.Offset(), 65536u + 4);
    ReaderOn far(dir.File("far.mp3"));
    EXPECT_EQ(far.reader.ReadHeader(far.reader.Current()), 0);
    EXPECT_EQ(far.stream.Offset(), 65537u + 3); // the hunt stopped one byte short
}

TEST(FrameSearch, RateChangeIsFollowedFrameByFrame) {
    const uint64_t join = ReaderOn(FixturePath("cbr128.mp3")).stream.Size();
    ReaderOn on(FixturePath("rate-change.mp3"));
    const auto frames = WalkFrames(on);
    ReaderOn first(FixturePath("cbr128.mp3")), second(FixturePath("mpeg1-48000.mp3"));
    const size_t firstCount = WalkFrames(first).size();
    ASSERT_EQ(frames.size(), firstCount + WalkFrames(second).size());
    EXPECT_EQ(frames[firstCount].start, join);
    EXPECT_EQ(frames[firstCount].result, 1);
    EXPECT_EQ(SamplingRateOf(frames[firstCount - 1].header), 44100);
    EXPECT_EQ(SamplingRateOf(frames[firstCount].header), 48000);
}

TEST(FrameSearch, Id3v1TagAtTheEndIsSearchedThroughToTheEnd) {
    ReaderOn on(FixturePath("id3v1.mp3"));
    const auto frames = WalkFrames(on);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().start + uint64_t(frames.back().header.FrameLength()),
              on.stream.Size() - 128);
    EXPECT_EQ(on.stream.Offset(), on.stream.Size());
}

TEST(FrameSearch, TruncatedLastBodyIsZeroFilled) {
    const std::string whole = ReadFixture("cbr128.mp3");
    const std::string cut = ReadFixture("truncated.mp3");
    ReaderOn on(FixturePath("truncated.mp3"));
    const auto frames = WalkFrames(on);
    ASSERT_FALSE(frames.empty());
    const WalkedFrame& last = frames.back();
    ASSERT_LT(last.start + uint64_t(last.header.FrameLength()), whole.size());
    ASSERT_GT(last.start + uint64_t(last.header.FrameLength()), cut.size());

    ReaderOn again(FixturePath("truncated.mp3"));
    ASSERT_TRUE(again.stream.SeekTo(last.start));
    std::vector<uint8_t> body(kMaxFrameBody, 0xAA);
    ASSERT_EQ(again.reader.ReadHeader(again.reader.Current()), 1);
    ASSERT_TRUE(again.reader.ReadBody(again.reader.Current(), body.data()));
    const size_t present = cut.size() - (last.start + 4);
    for (size_t i = 0; i < size_t(last.header.bodySize); ++i) {
        const uint8_t expected = i < present ? uint8_t(whole[last.start + 4 + i]) : 0;
        ASSERT_EQ(body[i], expected) << "body byte " << i;
    }
    EXPECT_EQ(again.reader.ReadHeader(again.reader.Current()), 0);
}

// A tag with a valid-looking header inside: a file that began cleanly skips
// the whole tag; once a re-synchronisation has happened, the hunt stops at
// the header inside the tag.
TEST(FrameSearch, WrappersLaterInTheFileAreSkippedOnlyInCleanFiles) {
    const std::string frames = ReadFixture("cbr128.mp3");
    const Mpg123Report ref = RunMpg123(FixturePath("cbr128.mp3"));
    const size_t head = FrameStarts(ref.lengths, 0, 4).back() + size_t(ref.lengths[3]);
    std::string payload(64, '\0');
    payload.replace(20, 4, "\xFF\xFB\x90\x64");
    const std::string tag =
        std::string("ID3\x03\x00\x00\x00\x00\x00", 9) + char(payload.size()) + payload;
    const std::string body = frames.substr(0, head) + tag + frames.substr(head);
    TempDir dir;
    WriteFile(dir.File("clean.mp3"), body);
    WriteFile(dir.File("hunted.mp3"), Junk(100) + body);

    ReaderOn clean(dir.File("clean.mp3"));
    auto walked = WalkFrames(clean);
    ASSERT_GT(walked.size(), 5u);
    EXPECT_EQ(walked[4].result, 2);
    EXPECT_EQ(walked[4].start, head + tag.size());

    ReaderOn hunted(dir.File("hunted.mp3"));
    walked = WalkFrames(hunted);
    ASSERT_GT(walked.size(), 5u);
    EXPECT_EQ(walked[4].start, 100 + head + 10 + 20);
}

TEST(FrameSearch, FreeFormatWordForgetsThePreviousHeader) {
    const std::string frames = ReadFixture("cbr128.mp3");
    const Mpg123Report ref = RunMpg123(FixturePath("cbr128.mp3"));
    const std::string frame = frames.substr(0, size_t(ref.lengths[0]));
    std::string freeFormat = frame.substr(0, 4);
    freeFormat[2] = static_cast<char>(freeFormat[2] & 0x0F);
    TempDir dir;
    WriteFile(dir.File("free.mp3"), frame + freeFormat);
    WriteFile(dir.File("zero.mp3"), frame + std::string(4, '\0'));
    std::vector<uint8_t> body(kMaxFrameBody);
    for (auto [file, kept] : {std::pair{"free.mp3", false}, std::pair{"zero.mp3", true}}) {
        ReaderOn on(dir.File(file));
        ASSERT_EQ(on.reader.ReadHeader(on.reader.Current()), 1);
        ASSERT_TRUE(on.reader.ReadBody(on.reader.Current(), body.data()));
        EXPECT_EQ(on.reader.PreviousWord(), Be32(frame, 0));
        EXPECT_EQ(on.reader.ReadHeader(on.reader.Current()), 0);
        EXPECT_EQ(on.reader.PreviousWord(), kept ? Be32(frame, 0) : 0u) << file;
    }
}

TEST(FrameSearch, RewindResetsTheSearchButNotTheXingState) {
    ReaderOn on(FixturePath("junk-front.mp3"));
    WalkFrames(on);
    on.reader.SetFrameCounter(7);
    const XingState xing = on.reader.Xing().state;
    ASSERT_NE(on.reader.FirstWord(), 0u);
    ASSERT_TRUE(on.reader.Rewind());
    EXPECT_EQ(on.stream.Offset(), 0u);
    EXPECT_EQ(on.reader.FrameCounter(), 0u);
    EXPECT_EQ(on.reader.PreviousWord(), 0u);
    EXPECT_EQ(on.reader.FirstWord(), 0u);
    EXPECT_EQ(on.reader.Xing().state, xing);

    on.reader.SetFrameCounter(7);
    on.stream.Close();
    EXPECT_FALSE(on.reader.Rewind());
    EXPECT_EQ(on.reader.FrameCounter(), 7u);
}

// -------------------------------------------------------------- Xing header

XingInfo FirstBodyXing(const std::string& path) {
    ReaderOn on(path);
    std::vector<uint8_t> body(kMaxFrameBody);
    EXPECT_EQ(on.reader.Xing().state, XingState::NotLookedFor);
    EXPECT_NE(on.reader.ReadHeader(on.reader.Current()), 0);
    EXPECT_TRUE(on.reader.ReadBody(on.reader.Current(), body.data()));
    return on.reader.Xing();
}

TEST(XingHeader, FieldsOfALameVbrFile) {
    const std::string bytes = ReadFixture("vbr-xing.mp3");
    const XingInfo xing = FirstBodyXing(FixturePath("vbr-xing.mp3"));
    ASSERT_EQ(xing.state, XingState::Found);
    ASSERT_TRUE(xing.hasFrames && xing.hasBytes && xing.hasToc);
    EXPECT_EQ(int(xing.frames), RunMpg123(FixturePath("vbr-xing.mp3")).frames);
    EXPECT_EQ(xing.bytes, bytes.size());
    EXPECT_EQ(std::string(xing.toc.begin(), xing.toc.end()), bytes.substr(4 + 32 + 16, 100));
    EXPECT_EQ(xing.toc[0], 0);
}

TEST(XingHeader, AbsentWithoutTheLettersOrOutsideLayer3) {
    EXPECT_EQ(FirstBodyXing(FixturePath("cbr128-info.mp3")).state, XingState::Absent);
    EXPECT_EQ(FirstBodyXing(FixturePath("cbr128.mp3")).state, XingState::Absent);
    EXPECT_EQ(FirstBodyXing(FixturePath("layer2.mp2")).state, XingState::Absent);
}

// In a mono MPEG-1 frame the side information is 17 bytes: the letters are
// looked for there and nowhere else; only the fields the flags name are read.
TEST(XingHeader, LookedForBehindTheSideInformationOfTheFrame) {
    std::string bytes = ReadFixture("mono.mp3");
    TempDir dir;
    const std::string fields = std::string("Xing\0\0\0\x02\0\0\x16\x2E", 12);
    WriteFile(dir.File("at17.mp3"), std::string(bytes).replace(4 + 17, 12, fields));
    WriteFile(dir.File("at32.mp3"), std::string(bytes).replace(4 + 32, 12, fields));
    const XingInfo xing = FirstBodyXing(dir.File("at17.mp3"));
    EXPECT_EQ(xing.state, XingState::Found);
    EXPECT_FALSE(xing.hasFrames);
    EXPECT_TRUE(xing.hasBytes);
    EXPECT_EQ(xing.bytes, 5678u);
    EXPECT_FALSE(xing.hasToc);
    EXPECT_EQ(FirstBodyXing(dir.File("at32.mp3")).state, XingState::Absent);
}

TEST(XingHeader, OnlyTheFirstBodyAfterAnOpenIsExamined) {
    ReaderOn on(FixturePath("vbr-xing.mp3"));
    WalkFrames(on);
    const uint32_t frames = on.reader.Xing().frames;
    ASSERT_TRUE(on.reader.Rewind());
    WalkFrames(on);
    EXPECT_EQ(on.reader.Xing().state, XingState::Found);
    EXPECT_EQ(on.reader.Xing().frames, frames);
    on.reader.ResetForOpen();
    EXPECT_EQ(on.reader.Xing().state, XingState::NotLookedFor);
}

// -------------------------------------------------------------- length and position

TEST(FrameTiming, The128kExampleFileOf4180000Bytes) {
    const std::string frames = ReadFixture("cbr128.mp3");
    const Mpg123Report ref = RunMpg123(FixturePath("cbr128.mp3"));
    ASSERT_EQ(ref.lengths[0], 417);
    ASSERT_EQ(ref.lengths[1], 418);
    std::string file = frames.substr(0, 417);
    for (int i = 0; i < 9999; ++i)
        file += frames.substr(417, 418);
    file += '\0';
    ASSERT_EQ(file.size(), 4180000u);
    TempDir dir;
    WriteFile(dir.File("long.mp3"), file);

    ReaderOn on(dir.File("long.mp3"));
    EXPECT_EQ(on.reader.LengthMs(), 0); // nothing published yet
    ASSERT_EQ(on.reader.ReadHeader(on.reader.Current()), 1);
    on.reader.PublishTiming();
    EXPECT_EQ(on.reader.LengthMs(), 261250);
    EXPECT_EQ(on.reader.PositionMs(), 0);
    on.reader.SetFrameCounter(1);
    EXPECT_EQ(on.reader.PositionMs(), 26);
    on.reader.SetFrameCounter(8);
    EXPECT_EQ(on.reader.PositionMs(), 209);

    std::vector<uint8_t> body(kMaxFrameBody);
    ASSERT_TRUE(on.reader.ReadBody(on.reader.Current(), body.data()));
    ASSERT_EQ(on.reader.ReadHeader(on.reader.Current()), 1);
    ASSERT_EQ(on.reader.Current().padding, 1);
    on.reader.PublishTiming();
    EXPECT_EQ(on.reader.LengthMs(), 261250);
    on.reader.SetFrameCounter(10000);
    EXPECT_EQ(on.reader.PositionMs(), 261250);
}

// The length follows the frame being played, not the Xing frame count:
// 58967 bytes are 141 frames like the 128 kbit/s Xing frame (3683 ms), or 56
// like the 320 kbit/s frame behind it (1463 ms), both of 26.125 ms.
TEST(FrameTiming, LengthFollowsTheCurrentHeader) {
    ReaderOn on(FixturePath("vbr-xing.mp3"));
    std::vector<uint8_t> body(kMaxFrameBody);
    ASSERT_EQ(on.reader.ReadHeader(on.reader.Current()), 1);
    ASSERT_EQ(BitrateKbps(on.reader.Current()), 128);
    on.reader.PublishTiming();
    EXPECT_EQ(on.reader.LengthMs(), 3683);
    ASSERT_TRUE(on.reader.ReadBody(on.reader.Current(), body.data()));
    ASSERT_EQ(on.reader.ReadHeader(on.reader.Current()), 1);
    ASSERT_EQ(BitrateKbps(on.reader.Current()), 320);
    on.reader.PublishTiming();
    EXPECT_EQ(on.reader.LengthMs(), 1463);

    ReaderOn lsf(FixturePath("mpeg2-22050.mp3"));
    ASSERT_EQ(lsf.reader.ReadHeader(lsf.reader.Current()), 1);
    lsf.reader.PublishTiming();
    EXPECT_EQ(lsf.reader.LengthMs(), 3030); // 24450 / 209 frames of 26.125 ms
}

TEST(FrameTiming, UnknownSizeGivesNoLength) {
    ReaderOn on("/proc/self/mem"); // a source of size 0
    ASSERT_TRUE(DecodeHeader(0xFFFB9064u, on.reader.Current()));
    on.reader.PublishTiming();
    EXPECT_EQ(on.reader.LengthMs(), 0);
    on.reader.SetFrameCounter(4);
    EXPECT_EQ(on.reader.PositionMs(), 104);
}

// Bytes held in memory whose first one-byte read at or after `failAt`
// fails, like a disk with a passing fault; every other read succeeds.
class PassingFaultSource : public ByteSource {
public:
    PassingFaultSource(std::string data, uint64_t failAt)
        : data_(std::move(data)), failAt_(failAt) {}
    ssize_t Read(void* buffer, size_t n) override {
        if (!failed_ && n == 1 && pos_ >= failAt_) {
            failed_ = true;
            return -1;
        }
        size_t k = std::min<size_t>(n, data_.size() - pos_);
        std::memcpy(buffer, data_.data() + pos_, k);
        pos_ += k;
        return static_cast<ssize_t>(k);
    }
    bool SeekTo(uint64_t offset) override {
        if (offset > data_.size())
            return false;
        pos_ = offset;
        return true;
    }
    bool Skip(uint64_t n) override { return SeekTo(pos_ + n); }
    uint64_t Size() const override { return data_.size(); }
    bool Seekable() const override { return true; }
    void Abort() override {}

private:
    std::string data_;
    uint64_t failAt_;
    uint64_t pos_ = 0;
    bool failed_ = false;
};

// Junk behind the fifth frame makes the refill search for the sixth, and
// the search's first read fails: the next refill goes on behind the five
// frames it had read instead of dropping them.
TEST(FrameRing, RefillBrokenByAReadErrorKeepsTheFramesItHadRead) {
    constexpr int kSlots = 10;
    ReaderOn clean(FixturePath("cbr128.mp3"));
    std::vector<uint32_t> words;
    std::vector<std::vector<uint8_t>> bodies;
    uint64_t fifthEnd = 0;
    for (int i = 0; i < kSlots; ++i) {
        FrameHeader h;
        ASSERT_GT(clean.reader.ReadHeader(h), 0);
        std::vector<uint8_t> body(size_t(h.bodySize));
        ASSERT_TRUE(clean.reader.ReadBody(h, body.data()));
        words.push_back(h.word);
        bodies.push_back(body);
        if (i == 4)
            fifthEnd = clean.stream.Offset();
    }
    std::string bytes = ReadFixture("cbr128.mp3");
    bytes.insert(size_t(fifthEnd), Junk(16));

    CInputStream stream;
    stream.OpenSource(std::make_shared<PassingFaultSource>(bytes, fifthEnd), "flaky.mp3");
    CFrameReader reader(stream);
    reader.ResetForOpen();
    CFrameRing ring;
    ring.Allocate(kSlots);
    EXPECT_THROW(ring.Fill(0, reader), EngineError);
    ring.Fill(0, reader);
    for (int i = 0; i < kSlots; ++i) {
        const uint8_t* body = nullptr;
        ASSERT_TRUE(ring.Take(reader, body)) << "frame " << i;
        EXPECT_EQ(reader.Current().word, words[size_t(i)]) << "frame " << i;
        EXPECT_EQ(std::memcmp(body, bodies[size_t(i)].data(), bodies[size_t(i)].size()), 0)
            << "frame " << i;
        reader.AdvanceFrameCounter();
    }
}

} // namespace
} // namespace zeb
