// zeb-remote: sends remote-control commands and queries to a running player.
// It never starts one.
#include "platform/EndpointClient.h"
#include "platform/RuntimeFolder.h"
#include "resources/ResourceIds.h"
#include "shell/RemoteControl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace zeb;

struct Name {
    const char* name;
    int value;
};

constexpr Name kCommands[] = {
    {"exit", ID_WA_EXIT},           {"repeat", ID_WA_REPEAT_CYCLE},
    {"shuffle", ID_WA_SHUFFLE},     {"open", ID_WA_OPEN_FILE},
    {"equalizer", ID_WA_EQUALIZER}, {"playlist", ID_WA_PLAYLIST},
    {"prev", ID_WA_PREVIOUS},       {"previous", ID_WA_PREVIOUS},
    {"play", ID_WA_PLAY},           {"pause", ID_WA_PAUSE},
    {"stop", ID_WA_STOP},           {"next", ID_WA_NEXT},
    {"volup", ID_WA_VOLUME_UP},     {"voldown", ID_WA_VOLUME_DOWN},
    {"back", ID_WA_SEEK_BACK},      {"forward", ID_WA_SEEK_FORWARD},
    {"openurl", ID_WA_OPEN_URL},    {"minibar", ID_WA_MINIBAR},
};

constexpr Name kQueries[] = {
    {"status", int(kRemoteQueryStatus)},
    {"count", int(kRemoteQueryCount)},
    {"index", int(kRemoteQueryIndex)},
};

void PrintHelp() {
    std::printf("Usage: zeb-remote [--endpoint NAME] [--timeout MS] COMMAND...\n"
                "       zeb-remote [--endpoint NAME] [--timeout MS] --query QUERY\n"
                "\n"
                "Drives a running zeb through its remote-control endpoint; never starts a player.\n"
                "\n"
                "COMMAND is a command id (sent as WM_COMMAND) or one of these names:\n"
                "  play 40045     pause 40046    stop 40047     next 40048     prev 40044\n"
                "  volup 40058    voldown 40059  back 40144     forward 40148  exit 40001\n"
                "  repeat 40022   shuffle 40023  open 40029     openurl 40155\n"
                "  equalizer 40036  playlist 40040  minibar 40258\n"
                "Several commands are sent in the order given.\n"
                "\n"
                "--query QUERY sends WM_USER with QUERY in lParam and prints the answer:\n"
                "  status 104 (1 playing, 3 paused, 0 otherwise), count 124 (entries),\n"
                "  index 125 (current entry, from 0); other numbers are sent as given.\n"
                "\n"
                "--endpoint NAME  the endpoint in the runtime folder (default \"Winamp v1.x\";\n"
                "                 \"ZEBAppClass\" is the program's main endpoint); a NAME\n"
                "                 containing '/' is a socket path.\n"
                "--timeout MS     how long to wait for each answer (default 2000).\n"
                "\n"
                "Exit status: 0 when the player answered everything, 1 when no player\n"
                "answered, 2 for a usage error.\n");
}

std::optional<int> Number(std::string_view text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > 0x7FFFFFFF)
        return std::nullopt;
    return int(value);
}

template <size_t N>
std::optional<int> Lookup(const Name (&names)[N], std::string_view text) {
    for (const Name& n : names)
        if (text == n.name)
            return n.value;
    return Number(text);
}

int Usage(const char* message, const char* argument) {
    std::fprintf(stderr, "zeb-remote: %s: %s (see --help)\n", message, argument);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string endpoint(kRemoteEndpointName);
    int timeoutMs = 2000;
    std::optional<int> query;
    std::vector<int> commands;

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        }
        const bool takesValue = arg == "--endpoint" || arg == "--timeout" || arg == "--query";
        if (takesValue && i + 1 >= argc)
            return Usage("missing value after", argv[i]);
        if (arg == "--endpoint") {
            endpoint = argv[++i];
            if (endpoint.empty())
                return Usage("empty endpoint name", argv[i]);
        } else if (arg == "--timeout") {
            std::optional<int> ms = Number(argv[++i]);
            if (!ms || *ms == 0)
                return Usage("bad timeout", argv[i]);
            timeoutMs = *ms;
        } else if (arg == "--query") {
            query = Lookup(kQueries, argv[++i]);
            if (!query)
                return Usage("unknown query", argv[i]);
        } else if (std::optional<int> id = Lookup(kCommands, arg)) {
            commands.push_back(*id);
        } else {
            return Usage("unknown command", argv[i]);
        }
    }
    if (query && !commands.empty())
        return Usage("give either commands or one query", "--query");
    if (!query && commands.empty()) {
        PrintHelp();
        return 2;
    }

    const std::string path =
        endpoint.find('/') != std::string::npos ? endpoint : RuntimeFolderPath() + endpoint;
    if (query) {
        std::optional<int32_t> answer =
            SendEndpointMessage(path, kWmUser, 0, uint32_t(*query), {}, 0, timeoutMs);
        if (!answer) {
            std::fprintf(stderr, "zeb-remote: no player answers at %s\n", path.c_str());
            return 1;
        }
        std::printf("%d\n", int(*answer));
        return 0;
    }
    for (int id : commands) {
        if (!SendEndpointMessage(path, kWmCommand, uint32_t(id), 0, {}, 0, timeoutMs)) {
            std::fprintf(stderr, "zeb-remote: no player answers at %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
