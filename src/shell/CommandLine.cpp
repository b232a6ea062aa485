#include "shell/CommandLine.h"

#include "platform/HandoverRecord.h"

#include <filesystem>
#include <optional>
#include <string>

namespace zeb {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& arg : args) {
        if (!arg.empty() && arg[0] == '-') {
            if (arg == "-a")
                line.add = true;
            else if (arg == "-c")
                line.cd = true;
            else if (arg == "-g")
                line.shared = true;
            else if (arg == "-x")
                line.exit = true;
        } else if (!line.path) {
            line.path = arg;
        }
    }
    return line;
}

void MakePathAbsolute(CommandLine& line, const std::string& currentFolder) {
    if (!line.path || line.path->empty() || (*line.path)[0] == '/' || currentFolder.empty())
        return;
    std::filesystem::path joined = std::filesystem::path(currentFolder) / *line.path;
    line.path = joined.lexically_normal().string();
}

namespace {

std::optional<std::string> Failure(const HandoverResult& result, const std::string& what) {
    if (result.delivered)
        return std::nullopt;
    return "the running instance did not confirm " + what + " (" + std::to_string(result.attempts) +
           (result.attempts == 1 ? " attempt)" : " attempts)");
}

} // namespace

std::optional<std::string> RunSecondInstance(const CommandLine& line,
                                             const std::string& endpointPath) {
    if (line.exit)
        return Failure(SendExitCommand(endpointPath), "the exit command");
    if (!line.path && !line.cd)
        return std::nullopt;
    std::optional<std::vector<uint8_t>> record;
    if (line.path)
        record = EncodeHandoverRecord(line.add ? HandoverMode::Add : HandoverMode::OpenAndPlay,
                                      *line.path);
    else
        record = EncodeHandoverRecord(HandoverMode::PlayAudioCd, "");
    if (!record)
        return "path too long to hand over: " + *line.path;
    return Failure(SendHandover(endpointPath, *record), line.path ? *line.path : "the CD request");
}

} // namespace zeb
