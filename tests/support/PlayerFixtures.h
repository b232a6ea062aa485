#pragma once

#include "shell/MainWndSettings.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>

namespace zeb::test {

// A copy of one of the encoded test files at `relative` under the folder.
inline std::string CopyFixture(const TempDir& dir, const std::string& relative,
                               const std::string& fixture = "mpeg25-8000.mp3") {
    std::filesystem::path p = dir.Path() / relative;
    std::filesystem::create_directories(p.parent_path());
    std::filesystem::copy_file(std::string(ZEB_FIXTURES_DIR) + "/" + fixture, p,
                               std::filesystem::copy_options::overwrite_existing);
    return p.string();
}

// The player writes WAV files into the folder's "out": fast, and no sound
// device needed.
inline void UseWavOutput(MainWndSettings& settings, const TempDir& dir) {
    settings.OutputModule = 0;
    settings.OutPath = dir.File("out") + "/";
    std::filesystem::create_directories(settings.OutPath);
}

} // namespace zeb::test
