#include "playlist/InfoLine.h"

#include "playlist/Id3v1Tag.h"
#include "support/TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Fixture(const std::string& name) {
    return std::string(ZEB_FIXTURES_DIR) + "/" + name;
}

std::string CopyFixture(const TempDir& dir, const std::string& fixture, const std::string& name) {
    const std::string path = dir.File(name);
    std::filesystem::copy_file(Fixture(fixture), path);
    return path;
}

std::string Be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, stereo, no CRC: 417-byte frames.
constexpr uint32_t kHeader128 = 0xFFFB9000;
constexpr size_t kBytesPerSecond128 = 16000;

// A first frame holding a Xing header (or its "Info" twin of constant-bitrate
// files) with the given flags and frame count.
std::string XingFrame(uint32_t flags, uint32_t frames, const std::string& marker = "Xing") {
    std::string frame =
        Be32(kHeader128) + std::string(32, '\0') + marker + Be32(flags) + Be32(frames);
    frame.resize(417, '\0');
    return frame;
}

std::string Line(const std::string& path) {
    return ComposeInfoLine(path).line;
}

TEST(InfoLineName, UnderscoresBecomeSpacesAndFolderAndExtensionGo) {
    TempDir dir;
    EXPECT_EQ(Line(CopyFixture(dir, "cbr128.mp3", "a_b.mp3")), "a b (00:03)");
    EXPECT_EQ(Line(CopyFixture(dir, "cbr128.mp3", "two.dots.mp3")), "two.dots (00:03)");
    EXPECT_EQ(Line(CopyFixture(dir, "cbr128.mp3", "noext")), "noext (00:03)");
}

// Info lines are stored one per line: a line break from a file name or a
// tag would split the saved list.
TEST(InfoLineName, ControlCharactersNeverReachTheLine) {
    TempDir dir;
    EXPECT_EQ(Line(CopyFixture(dir, "cbr128.mp3", "a\nb\rc.mp3")), "a b c (00:03)");
    const std::string path = CopyFixture(dir, "cbr128.mp3", "t.mp3");
    Id3v1Tag tag;
    tag.title = "Good\n/etc/passwd";
    ASSERT_TRUE(WriteId3v1(path, tag));
    EXPECT_EQ(Line(path), "Good /etc/passwd (00:03)");
    EXPECT_EQ(Line("/gone/x\ny.mp3"), "x y (mm:ss)");
}

TEST(InfoLineName, UnopenableFileGetsNameOnlyAndIsNotCacheable) {
    const ComposedInfoLine line = ComposeInfoLine("/no/such/folder/My_Song.mp3");
    EXPECT_EQ(line.line, "My Song (mm:ss)");
    EXPECT_FALSE(line.cacheable);
    EXPECT_EQ(Line("C:\\Music\\x_y.mp3"), "x y (mm:ss)") << "'\\' separates Windows-made paths";
}

TEST(InfoLineName, Addresses) {
    EXPECT_EQ(Line("http://host/music/My%20Song.mp3"), "My Song (mm:ss)");
    EXPECT_EQ(Line("FTP://host/a_b%20c.Wav"), "a b c (mm:ss)");
    EXPECT_EQ(Line("http://host/live%20stream"), "http://host/live stream (mm:ss)");
    EXPECT_EQ(Line("http://host.example/radio.ogg"), "http://host.example/radio.ogg (mm:ss)");
    EXPECT_EQ(Line("http://host/song.mp3x"), "song (mm:ss)") << "three characters after the dot";
    EXPECT_TRUE(ComposeInfoLine("http://host/x.mp3").cacheable);
    EXPECT_TRUE(IsInternetAddress("HTTP://a"));
    EXPECT_FALSE(IsInternetAddress("/http://a"));
}

TEST(InfoLineTag, DisplayTextFromTheTag) {
    TempDir dir;
    EXPECT_EQ(Line(CopyFixture(dir, "id3v1.mp3", "x.mp3")),
              "Fixture Artist - Fixture Title (00:03)");

    const std::string path = CopyFixture(dir, "cbr128.mp3", "y.mp3");
    Id3v1Tag tag;
    tag.title = "  Only Title";
    ASSERT_TRUE(WriteId3v1(path, tag));
    EXPECT_EQ(Line(path), "Only Title (00:03)") << "empty artist: title alone, trimmed";

    tag.title.clear();
    ASSERT_TRUE(WriteId3v1(path, tag));
    EXPECT_EQ(Line(path), " (00:03)") << "both empty: just the suffix";

    tag.title = "Caf\xE9";
    tag.artist = "Ann";
    ASSERT_TRUE(WriteId3v1(path, tag));
    EXPECT_EQ(Line(path), "Ann - Caf\xC3\xA9 (00:03)") << "Latin-1 bytes shown as UTF-8";
}

TEST(InfoLineLength, RealFilesMatchTheirDuration) {
    // Each fixture holds a little over its source's whole seconds.
    EXPECT_EQ(Line(Fixture("cbr128.mp3")), "cbr128 (00:03)");
    EXPECT_EQ(Line(Fixture("mono.mp3")), "mono (00:03)");
    EXPECT_EQ(Line(Fixture("mpeg1-48000.mp3")), "mpeg1-48000 (00:02)");
    EXPECT_EQ(Line(Fixture("mpeg2-22050.mp3")), "mpeg2-22050 (00:03)");
    EXPECT_EQ(Line(Fixture("mpeg25-8000.mp3")), "mpeg25-8000 (00:03)");
    EXPECT_EQ(Line(Fixture("junk-front.mp3")), "junk-front (00:03)");
    EXPECT_EQ(Line(Fixture("riff-mp3.wav")), "riff-mp3 (00:03)");
    EXPECT_EQ(Line(Fixture("id3v2.mp3")), "id3v2 (00:03)");
}

TEST(InfoLineLength, VbrFixtureUsesTheXingFrameCount) {
    const std::string bytes = ReadFile(Fixture("vbr-xing.mp3"));
    ASSERT_EQ(bytes.substr(36, 4), "Xing");
    const auto be32 = [&](size_t at) {
        uint32_t v = 0;
        for (size_t i = 0; i < 4; ++i)
            v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
        return v;
    };
    ASSERT_TRUE(be32(40) & 1);
    const uint32_t seconds = static_cast<uint32_t>(1152.0 / 44100 * be32(44));
    EXPECT_EQ(EstimateLengthSeconds(Fixture("vbr-xing.mp3")), seconds);
}

TEST(InfoLineLength, XingFrameCountOverridesTheBitrateEstimate) {
    TempDir dir;
    // 229879 frames of 1152 samples at 44100 Hz: 6005 s, minutes beyond two digits.
    WriteFile(dir.File("long.mp3"), XingFrame(1, 229879));
    EXPECT_EQ(Line(dir.File("long.mp3")), "long (100:05)");
    WriteFile(dir.File("noframes.mp3"), XingFrame(0x0E, 229879));
    EXPECT_EQ(Line(dir.File("noframes.mp3")), "noframes (00:00)") << "no frame-count flag: 0";
}

TEST(InfoLineLength, InfoHeaderCountsFramesLikeXing) {
    // The first frame of a low-bitrate constant-rate file is written at a
    // higher bitrate to hold the header: only the frame count gives the length.
    TempDir dir;
    WriteFile(dir.File("cbr.mp3"), XingFrame(1, 229879, "Info"));
    EXPECT_EQ(Line(dir.File("cbr.mp3")), "cbr (100:05)");
    WriteFile(dir.File("other.mp3"), XingFrame(1, 229879, "Junk"));
    EXPECT_EQ(Line(dir.File("other.mp3")), "other (00:00)") << "417 bytes at 128 kbit/s";
}

TEST(InfoLineLength, RiffAndId3v2SizesAreLeftOut) {
    TempDir dir;
    // Audio of 10 s less one byte after the wrapper or tag: 9 s, 10 s if counted.
    const std::string audio = Be32(kHeader128) + std::string(10 * kBytesPerSecond128 - 5, 'x');
    WriteFile(dir.File("wrapped.wav"), "RIFF" + std::string(66, 'r') + audio);
    EXPECT_EQ(Line(dir.File("wrapped.wav")), "wrapped (00:09)");

    // Synchsafe size 1000 (00 00 07 68); the 10 header bytes count as audio.
    const std::string tag = std::string("ID3\x03\x00\x00", 6) + std::string("\x00\x00\x07\x68", 4) +
                            std::string(1000, 't');
    const std::string tagged = tag + audio.substr(0, audio.size() - 10);
    WriteFile(dir.File("tagged.mp3"), tagged);
    EXPECT_EQ(Line(dir.File("tagged.mp3")), "tagged (00:09)");
    WriteFile(dir.File("untagged.mp3"), std::string(1000, 'j') + audio.substr(0, audio.size() - 1));
    EXPECT_EQ(Line(dir.File("untagged.mp3")), "untagged (00:10)") << "junk is counted as audio";
}

TEST(InfoLineLength, FilesAbove512MiBDoNotWrap) {
    TempDir dir;
    const std::string path = dir.File("long.mp3");
    WriteFile(path, Be32(kHeader128) + std::string(413, 'x'));
    std::filesystem::resize_file(path, 600'000'000); // sparse: no disk space taken
    EXPECT_EQ(Line(path), "long (625:00)");
}

// Runs call on another thread. When it is still blocked in opening the pipe
// after a generous time, a writer end is opened (again for every further
// open) until it returns, and the hang is reported.
template <typename Call>
bool ReturnsWithoutAWriter(const std::string& fifo, Call call) {
    auto done = std::async(std::launch::async, call);
    if (done.wait_for(std::chrono::seconds(30)) == std::future_status::ready)
        return true;
    do {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    } while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready);
    return false;
}

// A named pipe in a list: opening it for reading would wait for a writer
// for ever, so every reader of list files must refuse it at once.
TEST(InfoLineName, NamedPipeGetsNameOnlyWithoutBlocking) {
    TempDir dir;
    const std::string fifo = dir.File("pipe_name.mp3");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ComposedInfoLine line;
    EXPECT_TRUE(ReturnsWithoutAWriter(fifo, [&] { line = ComposeInfoLine(fifo); }));
    EXPECT_EQ(line.line, "pipe name (mm:ss)");
    EXPECT_FALSE(line.cacheable);
    EXPECT_TRUE(ReturnsWithoutAWriter(fifo, [&] { EXPECT_FALSE(ReadId3v1(fifo)); }));
    EXPECT_TRUE(ReturnsWithoutAWriter(fifo, [&] { EXPECT_FALSE(WriteId3v1(fifo, Id3v1Tag{})); }));
    EXPECT_TRUE(ReturnsWithoutAWriter(fifo, [&] { EXPECT_FALSE(EstimateLengthSeconds(fifo)); }));
}

TEST(InfoLineLength, UnknownLengthShowsPlaceholder) {
    TempDir dir;
    EXPECT_EQ(Line(Fixture("empty.mp3")), "empty (mm:ss)");
    WriteFile(dir.File("text.mp3"), std::string(3000, 'a'));
    EXPECT_EQ(Line(dir.File("text.mp3")), "text (mm:ss)");
    WriteFile(dir.File("short.mp3"), "\xFF\xFB\x90");
    EXPECT_EQ(Line(dir.File("short.mp3")), "short (mm:ss)");
    // A free-format header (bitrate index 0) has no bitrate to divide by.
    WriteFile(dir.File("free.mp3"), Be32(0xFFFB0000) + std::string(5000, '\0'));
    EXPECT_EQ(Line(dir.File("free.mp3")), "free (mm:ss)");
    // The search gives up after 65536 bytes without a header.
    WriteFile(dir.File("far.mp3"),
              std::string(70000, 'j') + Be32(kHeader128) + std::string(400, 'x'));
    EXPECT_EQ(Line(dir.File("far.mp3")), "far (mm:ss)");
    EXPECT_EQ(LengthSuffix(std::nullopt), " (mm:ss)");
    EXPECT_EQ(LengthSuffix(59), " (00:59)");
    EXPECT_EQ(LengthSuffix(600), " (10:00)");
}

} // namespace
} // namespace zeb
