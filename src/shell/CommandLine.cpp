#include "shell/CommandLine.h"

#include "platform/HandoverRecord.h"

#include <filesystem>

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

void RunSecondInstance(const CommandLine& line, const std::string& endpointPath) {
    if (line.exit) {
        SendExitCommand(endpointPath);
        return;
    }
    std::optional<std::vector<uint8_t>> record;
    if (line.path)
        record = EncodeHandoverRecord(line.add ? HandoverMode::Add : HandoverMode::OpenAndPlay,
                                      *line.path);
    else if (line.cd)
        record = EncodeHandoverRecord(HandoverMode::PlayAudioCd, "");
    if (record)
        SendHandover(endpointPath, *record);
}

} // namespace zeb
