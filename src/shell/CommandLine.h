#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zeb {

// The program's command line: options are arguments starting with '-',
// compared exactly; the first other argument is the path, later ones are
// ignored.
struct CommandLine {
    bool add = false;    // "-a": add the path to the list instead of replacing it
    bool cd = false;     // "-c": start in CD mode / play the CD
    bool shared = false; // "-g": the shared settings section
    bool exit = false;   // "-x": ask the running instance to exit
    std::optional<std::string> path;
};

// `args` without the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// A relative path made absolute against `currentFolder`, so that the running
// instance, which has a folder of its own, opens the same file.
void MakePathAbsolute(CommandLine& commandLine, const std::string& currentFolder);

// What a second instance does with its command line: hands its path (or the
// CD request) to the running instance, or asks it to exit, by the retry rule
// of SendHandover. Nothing when that was done or there was nothing to hand
// over; otherwise why it failed.
std::optional<std::string> RunSecondInstance(const CommandLine& commandLine,
                                             const std::string& endpointPath);

} // namespace zeb
