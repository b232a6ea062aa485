// How much the engine's own reading (input stream, frame search, read-ahead
// ring, block assembly) adds to decoding: the whole pipeline decoding a long
// MP3 against libmpg123 reading and decoding the same file by itself.
// Usage: decode_pipeline_bench [--file=path.mp3] [Google Benchmark flags]
#include "engine/Decoder.h"
#include "engine/FrameReader.h"
#include "engine/InputStream.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mpg123.h>
#include <string>
#include <unistd.h>

namespace {

using namespace zeb;

std::string g_file;

// Five minutes of a changing two-tone signal with noise, encoded by lame.
std::string MakeLongMp3() {
    std::string dir = "/tmp/zeb-bench-" + std::to_string(::getpid());
    std::string wav = dir + "/long.wav", mp3 = dir + "/long.mp3";
    std::string cmd = "mkdir -p " + dir + " && sox -R -n -r 44100 -c 2 -b 16 " + wav +
                      " synth 300 sine 220-880 sine 330-1320 pinknoise vol 0.3 && lame --quiet "
                      "-V 2 " +
                      wav + " " + mp3 + " && rm -f " + wav;
    if (std::system(cmd.c_str()) != 0) {
        std::fprintf(stderr, "could not encode the benchmark file\n");
        std::exit(1);
    }
    return mp3;
}

// The engine's path: stream, frame reader, ring of 100 frames, decoder
// assembling 16384-byte blocks; the blocks are counted, not written.
void BM_EnginePipeline(benchmark::State& state) {
    size_t bytes = 0;
    for (auto _ : state) {
        CInputStream stream;
        CFrameReader reader(stream);
        CFrameRing ring;
        CMpegDecoder decoder;
        stream.Open(g_file);
        reader.ResetForOpen();
        ring.Allocate(100);
        decoder.Start(0, false, 16384);
        size_t out = 0;
        CMpegDecoder::BlockSink sink = [&](const uint8_t*, size_t n) { out += n; };
        const uint8_t* body = nullptr;
        for (;;) {
            ring.Fill(0, reader);
            if (!ring.Take(reader, body))
                break;
            reader.AdvanceFrameCounter();
            decoder.DecodeFrame(reader.Current(), body, sink);
        }
        decoder.FlushBlock(sink);
        bytes = out;
        benchmark::DoNotOptimize(out);
    }
    state.counters["pcm_bytes"] = double(bytes);
}

// libmpg123 on its own: it reads the file and finds the frames itself.
void BM_Mpg123Alone(benchmark::State& state) {
    mpg123_init();
    size_t bytes = 0;
    for (auto _ : state) {
        mpg123_handle* h = mpg123_new(nullptr, nullptr);
        mpg123_param(h, MPG123_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0);
        mpg123_open(h, g_file.c_str());
        size_t out = 0;
        off_t num;
        unsigned char* audio;
        size_t n;
        int rc;
        while ((rc = mpg123_decode_frame(h, &num, &audio, &n)) != MPG123_DONE) {
            if (rc == MPG123_OK)
                out += n;
            else if (rc != MPG123_NEW_FORMAT)
                break;
        }
        mpg123_close(h);
        mpg123_delete(h);
        bytes = out;
        benchmark::DoNotOptimize(out);
    }
    state.counters["pcm_bytes"] = double(bytes);
}

BENCHMARK(BM_EnginePipeline)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_Mpg123Alone)->Unit(benchmark::kMillisecond)->MinTime(3);

// Prints the usual table and, at the end, the overhead of the pipeline.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            perIteration_[r.run_name.function_name] = r.GetAdjustedCPUTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        double engine = perIteration_["BM_EnginePipeline"];
        double alone = perIteration_["BM_Mpg123Alone"];
        if (alone > 0)
            std::printf("pipeline / libmpg123 alone (CPU time): %.3f (overhead %+.1f %%)\n",
                        engine / alone, (engine / alone - 1) * 100);
    }

private:
    std::map<std::string, double> perIteration_;
};

} // namespace

int main(int argc, char** argv) {
    std::string made;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--file=", 0) == 0)
            g_file = a.substr(7);
    }
    if (g_file.empty())
        g_file = made = MakeLongMp3();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!made.empty())
        std::remove(made.c_str());
    return 0;
}
