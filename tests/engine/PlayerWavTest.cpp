// The whole engine decoding real files into WAV files: the samples must be
// those of the reference decoder, less the first-block trim.
#include "FrameReaderTestSupport.h"
#include "engine/MpegPlayer.h"
#include "engine/PcmTools.h"
#include "support/TempDir.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {
namespace {

using namespace std::chrono_literals;
using test::ReadFile;
using test::ReadWav;
using test::ReferenceDecode;
using test::TempDir;
using test::WavFile;

constexpr size_t kTrim = 3500;
constexpr size_t kBlock = 16384;

std::string Fixture(const std::string& name) {
    return std::string(ZEB_FIXTURES_DIR) + "/" + name;
}

std::vector<uint8_t> Bytes(const std::string& path) {
    std::string s = ReadFile(path);
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Tail(const std::vector<uint8_t>& v, size_t from) {
    return from >= v.size() ? std::vector<uint8_t>()
                            : std::vector<uint8_t>(v.begin() + long(from), v.end());
}

// A player writing WAV files, with the end-of-track callback observed.
class WavPlayer {
public:
    explicit WavPlayer(const std::string& wavPath) {
        player.SetOutputKind(1);
        player.SetWavPath(wavPath);
        player.SetNotify([this] {
            std::lock_guard lock(mutex_);
            ++ends_;
            cv_.notify_all();
        });
    }
    bool Start(const std::string& source) {
        player.SetSource(source);
        if (!player.Open())
            return false;
        player.Play();
        return player.GetState() == CMpegPlayer::Playing;
    }
    bool WaitForEnd(std::chrono::seconds limit = 60s) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, limit, [&] { return ends_ > 0; });
    }
    int Ends() {
        std::lock_guard lock(mutex_);
        return ends_;
    }
    CMpegPlayer player;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int ends_ = 0;
};

class PlayerWavTest : public ::testing::Test {
protected:
    WavFile PlayToEnd(const std::string& fixture, WavPlayer* custom = nullptr) {
        WavPlayer local(wav_);
        WavPlayer& p = custom ? *custom : local;
        EXPECT_TRUE(p.Start(Fixture(fixture))) << fixture;
        EXPECT_TRUE(p.WaitForEnd()) << fixture;
        p.player.Stop();
        return ReadWav(Bytes(wav_));
    }
    TempDir dir_;
    std::string wav_ = dir_.File("out.wav");
};

// -------------------------------------------------------- decoded samples

class DecodedSamples : public PlayerWavTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DecodedSamples, EqualTheReferenceDecoderAfterTheFirstBlockTrim) {
    WavFile wav = PlayToEnd(GetParam());
    ASSERT_TRUE(wav.valid);
    std::vector<uint8_t> ref = ReferenceDecode(Fixture(GetParam()));
    ASSERT_GT(ref.size(), kTrim);
    EXPECT_EQ(wav.data.size(), ref.size() - kTrim);
    EXPECT_TRUE(wav.data == Tail(ref, kTrim));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, DecodedSamples,
                         ::testing::Values("cbr128.mp3", "cbr128-info.mp3", "vbr-xing.mp3",
                                           "mpeg1-48000.mp3", "mpeg1-32000.mp3", "mpeg2-22050.mp3",
                                           "mpeg2-24000.mp3", "mpeg2-16000.mp3", "mpeg25-11025.mp3",
                                           "mpeg25-12000.mp3", "mpeg25-8000.mp3", "layer2.mp2",
                                           "mono.mp3", "id3v2.mp3", "id3v1.mp3", "id3v1v2.mp3",
                                           "riff-mp3.wav", "junk-front.mp3", "ff-front.mp3"),
                         [](const auto& info) {
                             std::string n = info.param;
                             for (char& c : n)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return n;
                         });

TEST_F(PlayerWavTest, TruncatedLastFrameIsDecodedWithItsZeroFilledTail) {
    WavFile wav = PlayToEnd("truncated.mp3");
    std::vector<uint8_t> ref = Tail(ReferenceDecode(Fixture("truncated.mp3")), kTrim);
    ASSERT_TRUE(wav.valid);
    // The reference decoder drops the incomplete frame; the engine decodes
    // it completed with zero bytes: one frame of 1152 stereo samples more.
    ASSERT_EQ(wav.data.size(), ref.size() + 1152 * 4);
    EXPECT_TRUE(std::equal(ref.begin(), ref.end(), wav.data.begin()));
}

TEST_F(PlayerWavTest, RiffFileWithDataElsewherePlaysAfterResynchronising) {
    WavFile wav = PlayToEnd("riff-mp3-nofact.wav");
    std::vector<uint8_t> ref = ReferenceDecode(Fixture("riff-mp3-nofact.wav"));
    ASSERT_TRUE(wav.valid);
    // The first frame is cut by the fixed skip; everything from the third
    // frame on (whose bit reservoir is complete again) is identical.
    ASSERT_EQ(wav.data.size() + 1152 * 4, ref.size() - kTrim);
    size_t compareFrom = 2 * 1152 * 4;
    EXPECT_TRUE(std::equal(wav.data.begin() + long(compareFrom), wav.data.end(),
                           ref.begin() + long(kTrim + 1152 * 4 + compareFrom)));
}

TEST_F(PlayerWavTest, EmptyAndMissingFilesDoNotOpen) {
    WavPlayer p(wav_);
    p.player.SetSource(Fixture("empty.mp3"));
    EXPECT_FALSE(p.player.Open());
    p.player.SetSource(dir_.File("missing.mp3"));
    EXPECT_FALSE(p.player.Open());
    EXPECT_EQ(p.player.GetState(), CMpegPlayer::Stopped);
}

TEST_F(PlayerWavTest, PlainPcmWaveIsSearchedForFramesAndEndsNormally) {
    // Its samples may hold bytes that look like a frame header; whatever is
    // found plays, and the track ends by itself.
    WavPlayer p(wav_);
    if (p.Start(Fixture("pcm.wav"))) {
        EXPECT_TRUE(p.WaitForEnd(30s));
    }
    p.player.Stop();
    EXPECT_EQ(p.player.GetState(), CMpegPlayer::Stopped);
}

TEST_F(PlayerWavTest, FifoIsRefusedWithoutWaitingForAWriter) {
    std::string fifo = dir_.File("pipe.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    WavPlayer p(wav_);
    p.player.SetSource(fifo);
    auto opened = std::async(std::launch::async, [&] { return p.player.Open(); });
    bool answered = opened.wait_for(10s) == std::future_status::ready;
    if (!answered) {
        // A writer that comes and goes lets the blocked open end.
        int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    EXPECT_TRUE(answered) << "opening a FIFO waited for a writer";
    EXPECT_FALSE(opened.get());
    EXPECT_EQ(p.player.GetState(), CMpegPlayer::Stopped);
}

// ------------------------------------------------------------- WAV layout

TEST_F(PlayerWavTest, WavFileHasTheExpectedChunkLayout) {
    WavFile wav = PlayToEnd("cbr128.mp3");
    std::vector<uint8_t> file = Bytes(wav_);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.fmtSize, 18u);
    EXPECT_EQ(wav.formatTag, 1);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, 44100u);
    EXPECT_EQ(wav.byteRate, 176400u);
    EXPECT_EQ(wav.blockAlign, 4);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.riffSize, file.size() - 8);
    EXPECT_EQ(wav.dataSize, file.size() - 46); // 12 + 8 + 18 + 8 bytes in front
}

TEST_F(PlayerWavTest, UserStopLeavesTheLastPartialBlockOut) {
    WavPlayer p(wav_);
    ASSERT_TRUE(p.Start(Fixture("vbr-xing.mp3")));
    // Each block written to a WAV file takes 20 ms; stop after a few.
    std::this_thread::sleep_for(150ms);
    p.player.Stop();
    EXPECT_EQ(p.player.GetState(), CMpegPlayer::Stopped);
    WavFile wav = ReadWav(Bytes(wav_));
    ASSERT_TRUE(wav.valid);
    ASSERT_GT(wav.data.size(), 0u);
    EXPECT_EQ((wav.data.size() + kTrim) % kBlock, 0u);
    std::vector<uint8_t> ref = ReferenceDecode(Fixture("vbr-xing.mp3"));
    EXPECT_LT(wav.data.size(), ref.size() - kTrim);
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), ref.begin() + long(kTrim)));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(p.Ends(), 0); // a user stop posts no end of track
}

TEST_F(PlayerWavTest, RiffSourceWrittenToItsOwnFolderIsKeptAndTheAudioGoesBesideIt) {
    const std::string source = dir_.File("x.wav");
    std::filesystem::copy_file(Fixture("riff-mp3.wav"), source);
    const std::vector<uint8_t> original = Bytes(source);
    WavPlayer p(source); // the WAV path the controller makes for x.wav in its folder
    ASSERT_TRUE(p.Start(source));
    ASSERT_TRUE(p.WaitForEnd());
    p.player.Stop();
    EXPECT_TRUE(Bytes(source) == original);
    WavFile wav = ReadWav(Bytes(dir_.File("x (2).wav")));
    ASSERT_TRUE(wav.valid);
    EXPECT_TRUE(wav.data == Tail(ReferenceDecode(source), kTrim));
}

// ------------------------------------------------------- options of play

TEST_F(PlayerWavTest, ForceMonoWritesOneMixedChannel) {
    WavPlayer p(wav_);
    p.player.SetForceMono(1);
    WavFile wav = PlayToEnd("cbr128.mp3", &p);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.byteRate, 88200u);
    std::vector<uint8_t> ref = ReferenceDecode(Fixture("cbr128.mp3"), /*mono=*/true);
    EXPECT_TRUE(wav.data == Tail(ref, kTrim));
}

TEST_F(PlayerWavTest, DownsamplingHalvesAndQuartersTheRate) {
    WavPlayer half(wav_);
    half.player.SetDownsampling(1);
    WavFile wav = PlayToEnd("cbr128.mp3", &half);
    EXPECT_EQ(wav.rate, 22050u);
    std::vector<uint8_t> full = ReferenceDecode(Fixture("cbr128.mp3"));
    EXPECT_NEAR(double(wav.data.size() + kTrim), full.size() / 2.0, 1152 * 2.0);

    WavPlayer quarter(wav_);
    quarter.player.SetDownsampling(2);
    wav = PlayToEnd("cbr128.mp3", &quarter);
    EXPECT_EQ(wav.rate, 11025u);
    EXPECT_NEAR(double(wav.data.size() + kTrim), full.size() / 4.0, 1152.0);
}

// MPEG-2 and MPEG-2.5 files at every down-sampling level: half or a quarter
// of 8000 Hz lies below the rates libmpg123 lists, and must play all the same.
class DownsampledLowRates : public PlayerWavTest,
                            public ::testing::WithParamInterface<std::tuple<const char*, int>> {};

TEST_P(DownsampledLowRates, PlayWholeAtTheReducedRate) {
    const auto [fixture, level] = GetParam();
    const std::string name = fixture;
    const int streamRate = std::stoi(name.substr(name.find('-') + 1));
    const int rate = streamRate >> level;
    WavPlayer p(wav_);
    p.player.SetDownsampling(level);
    WavFile wav = PlayToEnd(fixture, &p);
    ASSERT_TRUE(wav.valid);
    EXPECT_EQ(wav.rate, uint32_t(rate));
    EXPECT_EQ(wav.channels, 2);
    std::vector<uint8_t> ref = ReferenceDecode(Fixture(fixture), false, rate);
    ASSERT_GT(ref.size(), 4 * kTrim);
    EXPECT_EQ(wav.data.size(), ref.size() - kTrim);
    EXPECT_TRUE(wav.data == Tail(ref, kTrim));
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, DownsampledLowRates,
    ::testing::Combine(::testing::Values("mpeg2-22050.mp3", "mpeg2-24000.mp3", "mpeg2-16000.mp3",
                                         "mpeg25-11025.mp3", "mpeg25-12000.mp3", "mpeg25-8000.mp3"),
                       ::testing::Values(0, 1, 2)),
    [](const auto& info) {
        std::string n = std::get<0>(info.param);
        n = n.substr(0, n.find('.'));
        for (char& c : n)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return n + "_level" + std::to_string(std::get<1>(info.param));
    });

double Rms(const std::vector<uint8_t>& pcm) {
    double sum = 0;
    size_t n = pcm.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        int16_t s = int16_t(pcm[2 * i] | pcm[2 * i + 1] << 8);
        sum += double(s) * s;
    }
    return n ? std::sqrt(sum / double(n)) : 0;
}

TEST_F(PlayerWavTest, EqualizerFactorsScaleTheSubbandsOnlyWhileOn) {
    std::vector<uint8_t> ref = Tail(ReferenceDecode(Fixture("cbr128.mp3")), kTrim);
    WavPlayer quiet(wav_);
    std::array<double, 32> quarter;
    quarter.fill(0.25);
    quiet.player.Equalizer().Set(quarter);
    WavFile wav = PlayToEnd("cbr128.mp3", &quiet);
    ASSERT_EQ(wav.data.size(), ref.size());
    EXPECT_NEAR(Rms(wav.data) / Rms(ref), 0.25, 0.02);

    WavPlayer off(wav_);
    off.player.Equalizer().Set(quarter);
    off.player.Equalizer().SetOff();
    wav = PlayToEnd("cbr128.mp3", &off);
    EXPECT_TRUE(wav.data == ref);
}

// ----------------------------------------------------------------- seeking

TEST_F(PlayerWavTest, SeekBeyondTheLastPercentEndsTheTrackWithTheCallback) {
    WavPlayer p(wav_);
    ASSERT_TRUE(p.Start(Fixture("vbr-xing.mp3")));
    p.player.Seek(100);
    EXPECT_TRUE(p.WaitForEnd(10s));
    p.player.Stop();
    EXPECT_EQ(p.Ends(), 1);
}

TEST_F(PlayerWavTest, SeekNeverBlocksWithoutAPlayingThread) {
    WavPlayer p(wav_);
    auto stopped = std::async(std::launch::async, [&] { p.player.Seek(50); });
    EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);

    ASSERT_TRUE(p.Start(Fixture("vbr-xing.mp3")));
    p.player.Pause();
    int before = p.player.PositionMs();
    auto paused = std::async(std::launch::async, [&] { p.player.Seek(80); });
    EXPECT_EQ(paused.wait_for(5s), std::future_status::ready);
    EXPECT_GT(p.player.PositionMs(), before);
    EXPECT_EQ(p.player.GetState(), CMpegPlayer::Paused);
    p.player.Resume();
    EXPECT_TRUE(p.WaitForEnd(30s));
    p.player.Stop();
}

// Pause and Resume called over and over while the track ends by itself:
// the thread's final state must win, and a seek afterwards returns at once.
TEST_F(PlayerWavTest, PauseAndResumeRacingTheEndOfTheTrackLeaveItStopped) {
    for (int round = 0; round < 4; ++round) {
        WavPlayer p(wav_);
        ASSERT_TRUE(p.Start(Fixture("cbr128.mp3")));
        int nearEnd = p.player.LengthMs() - 400;
        for (auto until = std::chrono::steady_clock::now() + 60s;
             p.Ends() == 0 && p.player.PositionMs() < nearEnd &&
             std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(5ms);
        while (p.Ends() == 0) {
            p.player.Pause();
            p.player.Resume();
        }
        EXPECT_EQ(p.player.GetState(), CMpegPlayer::Stopped) << "round " << round;
        auto seek = std::async(std::launch::async, [&] { p.player.Seek(50); });
        EXPECT_EQ(seek.wait_for(5s), std::future_status::ready) << "round " << round;
        p.player.Stop();
    }
}

TEST_F(PlayerWavTest, SeekAfterTheTrimLandsNearTheTarget) {
    WavPlayer p(wav_);
    ASSERT_TRUE(p.Start(Fixture("cbr128.mp3")));
    int length = p.player.LengthMs();
    ASSERT_GT(length, 2000);
    p.player.Seek(50);
    int position = p.player.PositionMs();
    EXPECT_GE(position, length / 2);
    EXPECT_LT(position, length / 2 + 500);
    EXPECT_TRUE(p.WaitForEnd(30s));
    p.player.Stop();
}

// Cover art in front: the length counts only the audio, and the seek lands
// half-way into it and plays on to its end.
TEST_F(PlayerWavTest, SeekBehindALargeTagLandsInTheAudio) {
    const std::string mp3 = test::EncodeWithCoverArt(dir_, "cover", "-t -b 128 --cbr");
    ASSERT_FALSE(mp3.empty());
    const std::vector<uint8_t> ref = ReferenceDecode(mp3);
    WavPlayer p(wav_);
    ASSERT_TRUE(p.Start(mp3));
    const int length = p.player.LengthMs();
    EXPECT_NEAR(length, 3000, 100); // three seconds of tones
    p.player.Seek(50);
    const int position = p.player.PositionMs();
    EXPECT_GE(position, length / 2);
    EXPECT_LT(position, length / 2 + 500);
    ASSERT_TRUE(p.WaitForEnd());
    p.player.Stop();
    WavFile wav = ReadWav(Bytes(wav_));
    ASSERT_TRUE(wav.valid);
    EXPECT_GT(wav.data.size(), ref.size() * 4 / 10);
    EXPECT_LT(wav.data.size(), ref.size() * 8 / 10);
    const size_t tail = 65536;
    ASSERT_GT(wav.data.size(), tail);
    EXPECT_TRUE(std::equal(wav.data.end() - long(tail), wav.data.end(), ref.end() - long(tail)));
}

// ------------------------------------------------------- rate change

TEST_F(PlayerWavTest, RateChangeReopensTheOutputAtTheNewRateWithoutLosingAudio) {
    WavPlayer p(wav_);
    ASSERT_TRUE(p.Start(Fixture("rate-change.mp3")));
    ASSERT_TRUE(p.WaitForEnd());
    p.player.Stop();
    WavFile first = ReadWav(Bytes(wav_));
    WavFile second = ReadWav(Bytes(dir_.File("out (2).wav")));
    ASSERT_TRUE(first.valid);
    ASSERT_TRUE(second.valid);
    EXPECT_EQ(first.rate, 44100u);
    EXPECT_EQ(second.rate, 48000u);
    size_t firstPart = ReferenceDecode(Fixture("cbr128.mp3")).size();
    EXPECT_EQ(first.data.size(), firstPart - kTrim);
    EXPECT_GT(second.data.size(), 0u);
}

} // namespace
} // namespace zeb
