// Playlist figures for lists of the designed size: loading and saving a
// 5000-entry playlist and user list, restoring a 100 000-entry user list
// with its info lines and cache, sorting and removing duplicates over 5000
// entries, scanning a tree of 10 000 files and building one info line.
// Usage: playlist_bench [--mp3=file.mp3] [Google Benchmark flags]
#include "playlist/PlaylistModel.h"
#include "playlist/PlaylistReader.h"
#include "playlist/PlaylistWriter.h"
#include "playlist/UserList.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace zeb;
namespace fs = std::filesystem;

fs::path g_dir;
std::string g_mp3;

std::vector<PlaylistEntry> Entries(int n) {
    std::vector<PlaylistEntry> entries;
    for (int i = 0; i < n; ++i) {
        std::string folder = g_dir.string() + "/music/Artist " + std::to_string(i % 97) +
                             "/Album " + std::to_string(i % 13);
        entries.push_back({folder + "/Track " + std::to_string(i) + ".mp3",
                           "Artist " + std::to_string(i % 97) + " - Track " + std::to_string(i) +
                               " (03:" + std::to_string(10 + i % 50) + ")"});
    }
    return entries;
}

void FillModel(CPlaylistModel& model, const std::vector<PlaylistEntry>& entries) {
    model.Clear();
    for (const auto& e : entries)
        model.Append(e.path);
}

void BM_SavePlaylist5000(benchmark::State& state) {
    auto entries = Entries(5000);
    std::string path = (g_dir / "list.m3u").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(WritePlaylistFile(path, entries, true, {}));
}

void BM_LoadPlaylist5000(benchmark::State& state) {
    auto entries = Entries(5000);
    std::string path = (g_dir / "list.m3u").string();
    WritePlaylistFile(path, entries, true, {});
    for (auto _ : state) {
        std::vector<PlaylistEntry> list;
        ReadPlaylistFile(path, list);
        benchmark::DoNotOptimize(list.size());
    }
}

void BM_SaveUserList5000(benchmark::State& state) {
    auto entries = Entries(5000);
    std::string path = (g_dir / "zeb.m3u").string();
    SaveUserList(path, "Preferences - other", Entries(2000));
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveUserList(path, "Preferences - me", entries));
}

void BM_LoadUserList5000(benchmark::State& state) {
    std::string path = (g_dir / "zeb.m3u").string();
    SaveUserList(path, "Preferences - other", Entries(2000));
    SaveUserList(path, "Preferences - me", Entries(5000));
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadUserList(path, "Preferences - me").size());
}

// Start-up with a long saved list as zeb writes it (an info line after every
// entry) and the info cache saved with it: every info line is stored in the
// cache, so the cache lookup must not grow with its size.
void BM_RestoreUserList100000(benchmark::State& state) {
    const std::string list = (g_dir / "big.m3u").string();
    const std::string cache = (g_dir / "big.tgs").string();
    const auto entries = Entries(100000);
    SaveUserList(list, "Preferences - me", entries);
    {
        CPlaylistModel saved;
        for (const auto& e : entries)
            saved.StoreInfo(e.path, e.info);
        saved.SaveInfoCache(cache);
    }
    for (auto _ : state) {
        CPlaylistModel model;
        model.LoadInfoCache(cache);
        std::vector<PlaylistEntry> found;
        auto restored = LoadUserList(list, "Preferences - me",
                                     [&](const std::string& p, const std::string& info) {
                                         found.push_back({p, info});
                                     });
        for (const PlaylistEntry& e : restored) {
            model.Append(e.path);
            if (!e.info.empty())
                model.SetInfoAt(model.Count() - 1, e.info);
        }
        for (const PlaylistEntry& e : found)
            model.StoreInfo(e.path, e.info);
        benchmark::DoNotOptimize(model.Count());
    }
}

void BM_SortByPath5000(benchmark::State& state) {
    auto entries = Entries(5000);
    CPlaylistModel model;
    for (auto _ : state) {
        state.PauseTiming();
        FillModel(model, entries);
        state.ResumeTiming();
        model.SortByPath(0, model.Count() - 1, true);
    }
}

void BM_RemoveDuplicates5000(benchmark::State& state) {
    auto entries = Entries(4000);
    auto more = Entries(1000); // 1000 duplicates
    entries.insert(entries.end(), more.begin(), more.end());
    CPlaylistModel model;
    for (auto _ : state) {
        state.PauseTiming();
        FillModel(model, entries);
        state.ResumeTiming();
        benchmark::DoNotOptimize(model.RemoveDuplicates().removed);
    }
}

void MakeTree(const fs::path& root, int files) {
    for (int i = 0; i < files; ++i) {
        fs::path dir = root / ("d" + std::to_string(i % 50)) / ("s" + std::to_string(i % 7));
        fs::create_directories(dir);
        std::ofstream(dir / ("f" + std::to_string(i) + ".mp3")) << 'x';
    }
}

void BM_ScanFolder10000(benchmark::State& state) {
    fs::path root = g_dir / "tree";
    if (!fs::exists(root))
        MakeTree(root, 10000);
    CPlaylistModel model;
    for (auto _ : state) {
        model.Clear();
        benchmark::DoNotOptimize(model.ScanFolder(root.string() + "/", false, false));
    }
}

void BM_BuildInfoLine(benchmark::State& state) {
    CPlaylistModel model;
    for (auto _ : state)
        benchmark::DoNotOptimize(model.BuildInfoLine(g_mp3));
}

BENCHMARK(BM_SavePlaylist5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadPlaylist5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveUserList5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadUserList5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreUserList100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortByPath5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveDuplicates5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFolder10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildInfoLine)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--mp3=", 0) == 0)
            g_mp3 = a.substr(6);
    }
    g_dir = fs::temp_directory_path() / ("zeb-playlist-bench-" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    if (g_mp3.empty()) {
        g_mp3 = (g_dir / "tone.mp3").string();
        std::string cmd = "sox -n -r 44100 -c 2 -b 16 " + (g_dir / "t.wav").string() +
                          " synth 30 sine 440 && lame --quiet -V 2 --tt Title --ta Artist " +
                          (g_dir / "t.wav").string() + " " + g_mp3;
        if (std::system(cmd.c_str()) != 0)
            return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(g_dir);
    return 0;
}
