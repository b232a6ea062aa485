#include "engine/WavWriter.h"

#include "engine/EngineError.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

uint32_t Le32(const std::string& s, size_t at) {
    return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
           static_cast<uint8_t>(s[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(s[at + 3])) << 24;
}

uint16_t Le16(const std::string& s, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1])
                                                                   << 8);
}

std::string Pattern(size_t n, int seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + seed) & 0xff);
    return s;
}

TEST(WavWriter, HeaderOfStereo44100Pcm) {
    TempDir dir;
    const std::string path = dir.File("out.wav");
    const std::string samples = Pattern(4000, 1);
    WavWriter w;
    w.Create(path, 44100, 2, 16);
    w.Write(samples.data(), 1000);
    w.Write(samples.data() + 1000, 3000);
    w.Close();

    const std::string f = ReadFile(path);
    ASSERT_EQ(f.size(), 46u + 4000u);
    EXPECT_EQ(f.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32(f, 4), f.size() - 8);
    EXPECT_EQ(f.substr(8, 4), "WAVE");
    EXPECT_EQ(f.substr(12, 4), "fmt ");
    EXPECT_EQ(Le32(f, 16), 18u);
    EXPECT_EQ(Le16(f, 20), 1);      // PCM
    EXPECT_EQ(Le16(f, 22), 2);      // channels
    EXPECT_EQ(Le32(f, 24), 44100u); // rate
    EXPECT_EQ(Le32(f, 28), 176400u);
    EXPECT_EQ(Le16(f, 32), 4); // block align
    EXPECT_EQ(Le16(f, 34), 16);
    EXPECT_EQ(Le16(f, 36), 0); // extra size
    EXPECT_EQ(f.substr(38, 4), "data");
    EXPECT_EQ(Le32(f, 42), 4000u);
    EXPECT_EQ(f.substr(46), samples);
}

TEST(WavWriter, MonoBytesWithOddDataGetAPadByteCountedOnlyByRiff) {
    TempDir dir;
    const std::string path = dir.File("odd.wav");
    const std::string samples = Pattern(7, 3);
    WavWriter w;
    w.Create(path, 8000, 1, 8);
    w.Write(samples.data(), samples.size());
    w.Close();
    const std::string f = ReadFile(path);
    ASSERT_EQ(f.size(), 46u + 8u);
    EXPECT_EQ(Le16(f, 22), 1);
    EXPECT_EQ(Le32(f, 24), 8000u);
    EXPECT_EQ(Le32(f, 28), 8000u);
    EXPECT_EQ(Le16(f, 32), 1);
    EXPECT_EQ(Le16(f, 34), 8);
    EXPECT_EQ(Le32(f, 42), 7u);
    EXPECT_EQ(Le32(f, 4), f.size() - 8);
    EXPECT_EQ(f.substr(46, 7), samples);
    EXPECT_EQ(f[53], '\0');
}

TEST(WavWriter, ExistingFileIsReplaced) {
    TempDir dir;
    const std::string path = dir.File("old.wav");
    WriteFile(path, std::string(100000, 'x'));
    WavWriter w;
    w.Create(path, 44100, 2, 16);
    w.Write("abcd", 4);
    w.Close();
    const std::string f = ReadFile(path);
    ASSERT_EQ(f.size(), 50u);
    EXPECT_EQ(f.substr(46), "abcd");
}

TEST(WavWriter, TheFileToKeepIsRefusedUntouchedUnderAnyName) {
    TempDir dir;
    const std::string source = dir.File("x.wav");
    const std::string link = dir.File("link.wav");
    const std::string content(5000, 's');
    WriteFile(source, content);
    ASSERT_EQ(::link(source.c_str(), link.c_str()), 0);
    for (const std::string& path : {source, link}) {
        WavWriter w;
        EXPECT_THROW(w.Create(path, 44100, 2, 16, source), EngineError) << path;
        EXPECT_FALSE(w.IsOpen());
        EXPECT_EQ(ReadFile(source), content) << path;
    }
    // Another file is replaced as usual.
    WavWriter w;
    w.Create(dir.File("other.wav"), 44100, 2, 16, source);
    w.Close();
    EXPECT_EQ(ReadFile(dir.File("other.wav")).size(), 46u);
}

TEST(WavWriter, FailuresRaiseEngineErrors) {
    TempDir dir;
    WavWriter w;
    try {
        w.Create(dir.File("missing/folder/out.wav"), 44100, 2, 16);
        FAIL() << "created a file in a missing folder";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), EngineError::OutputOpen);
    }
    EXPECT_FALSE(w.IsOpen());
    try {
        w.Write("ab", 2);
        FAIL() << "wrote without a file";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.code(), EngineError::OutputWrite);
    }
    EXPECT_NO_THROW(w.Close());
}

// A FIFO under the output name would block the open until a reader came.
TEST(WavWriter, FifoUnderTheNameIsRefusedWithoutWaiting) {
    TempDir dir;
    const std::string fifo = dir.File("out.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto creating = std::async(std::launch::async, [&] {
        WavWriter w;
        try {
            w.Create(fifo, 44100, 2, 16);
        } catch (const EngineError& e) {
            return e.code();
        }
        return EngineError::OutputWrite;
    });
    if (creating.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK); // lets the open end
        creating.wait();
        ::close(reader);
        FAIL() << "the open waited for a reader";
    }
    EXPECT_EQ(creating.get(), EngineError::OutputOpen);
}

TEST(WavWriter, DestructorFinishesTheFile) {
    TempDir dir;
    const std::string path = dir.File("dtor.wav");
    {
        WavWriter w;
        w.Create(path, 44100, 2, 16);
        w.Write("12345678", 8);
    }
    const std::string f = ReadFile(path);
    ASSERT_EQ(f.size(), 54u);
    EXPECT_EQ(Le32(f, 42), 8u);
    EXPECT_EQ(Le32(f, 4), 46u);
}

} // namespace
} // namespace zeb
