#include "shell/ShellRegistration.h"

#include "platform/AtomicFile.h"
#include "platform/MimeAppsList.h"
#include "platform/ProgramFiles.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace zeb {

namespace {

constexpr const char* kFilesEntry = "zeb-files.desktop";
constexpr const char* kAudioCdEntry = "zeb-audio-cd.desktop";
constexpr const char* kFolderPlayEntry = "zeb-folder-play.desktop";
constexpr const char* kFolderAddEntry = "zeb-folder-add.desktop";

// Canonical types of the shared MIME database; its aliases (audio/mpegurl,
// audio/wav, ...) resolve to these.
constexpr std::array<const char*, 3> kMp3Types{"audio/mpeg", "audio/x-mpegurl", "audio/x-scpls"};
constexpr std::array<const char*, 1> kWavTypes{"audio/x-wav"};
constexpr const char* kAudioCdType = "x-content/audio-cdda";
constexpr const char* kFolderType = "inode/directory";

std::string FolderFromEnvironment(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value && *value == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallbackUnderHome;
}

// The program file as the first word of an Exec line: quoted, with the
// characters that are special inside quotes escaped, '%' doubled (field
// codes), then every backslash doubled for the string value itself.
std::string QuotedProgram(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted += '"';
    std::string value;
    for (char c : quoted) {
        if (c == '\\')
            value += '\\';
        value += c;
    }
    return value;
}

// The command lines, as the program reads them: the path, "-a" to add it,
// "-c" to start with the CD.
struct Commands {
    std::string open;
    std::string add;
    std::string playCd;

    explicit Commands(const std::string& program)
        : open(QuotedProgram(program) + " %f"), add(open + " -a"),
          playCd(QuotedProgram(program) + " -c") {}
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// "Group/Key" -> raw value of a desktop entry; enough to compare values with
// those written here.
std::map<std::string, std::string> ReadDesktopEntry(const std::string& path) {
    std::map<std::string, std::string> values;
    std::istringstream in(ReadWholeFile(path));
    std::string line;
    std::string group;
    while (std::getline(in, line)) {
        if (line.starts_with('[') && line.ends_with(']')) {
            group = line.substr(1, line.size() - 2);
        } else if (size_t eq = line.find('='); eq != std::string::npos && !line.starts_with('#')) {
            values.emplace(group + "/" + line.substr(0, eq), line.substr(eq + 1));
        }
    }
    return values;
}

std::string ValueOf(const std::map<std::string, std::string>& entry, const std::string& key) {
    auto it = entry.find(key);
    return it == entry.end() ? std::string() : it->second;
}

std::string EntryHead(const std::string& name, const std::string& exec) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           name +
           "\n"
           "Icon=zeb\n"
           "Exec=" +
           exec +
           "\n"
           "Terminal=false\n"
           "NoDisplay=true\n";
}

std::string FilesEntry(const Commands& commands, const std::vector<std::string>& types,
                       bool addDefault) {
    std::string text = EntryHead("ZEB", addDefault ? commands.add : commands.open);
    text += "MimeType=";
    for (const std::string& type : types)
        text += type + ";";
    text += "\nActions=Open;Add;\n"
            "\n[Desktop Action Open]\nName=Open\nExec=" +
            commands.open +
            "\n"
            "\n[Desktop Action Add]\nName=Add to playlist\nExec=" +
            commands.add + "\n";
    return text;
}

// KDE's file manager shows folder verbs from service menus rather than from
// "Open With"; a user's service menu must be executable to be trusted.
std::string FolderServiceMenu(const Commands& commands, bool play, bool add) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Service\n"
                       "ServiceTypes=KonqPopupMenu/Plugin\n"
                       "MimeType=inode/directory;\n"
                       "X-KDE-Priority=TopLevel\n"
                       "Actions=";
    text += std::string(play ? "zebPlay;" : "") + (add ? "zebAdd;" : "") + "\n";
    if (play)
        text += "\n[Desktop Action zebPlay]\nName=Play with ZEB\nIcon=zeb\nExec=" + commands.open +
                "\n";
    if (add)
        text += "\n[Desktop Action zebAdd]\nName=Add to playlist\nIcon=zeb\nExec=" + commands.add +
                "\n";
    return text;
}

std::string SingleEntry(const std::string& name, const std::string& exec, const char* type) {
    return EntryHead(name, exec) + "MimeType=" + type + ";\n";
}

// The entry at `path` made to hold `text`, or removed when not wanted; notes
// in `changed` whether the file changed. Nothing is created for a choice
// that was never made.
bool WriteOrRemove(const std::string& path, bool wanted, const std::string& text, bool& changed) {
    if (!wanted) {
        if (::unlink(path.c_str()) == 0) {
            changed = true;
            return true;
        }
        return errno == ENOENT;
    }
    if (ReadWholeFile(path) == text)
        return true;
    changed = true;
    return EnsureFolder(path.substr(0, path.rfind('/') + 1)) && WriteFileAtomically(path, text);
}

bool IsFirst(const MimeAppsList& list, const char* type, const char* id) {
    const std::vector<std::string> ids = list.Entries(MimeAppsList::kDefaults, type);
    return !ids.empty() && ids.front() == id;
}

bool IsAdded(const MimeAppsList& list, const char* type, const char* id) {
    const std::vector<std::string> ids = list.Entries(MimeAppsList::kAdded, type);
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The handler of `type` when wanted: the default, and first of the added
// associations so that "Open With" lists it too.
void SetHandler(MimeAppsList& list, const char* type, const char* id, bool wanted) {
    if (wanted) {
        list.AddFirst(MimeAppsList::kDefaults, type, id);
        list.AddFirst(MimeAppsList::kAdded, type, id);
    } else {
        list.Remove(MimeAppsList::kDefaults, type, id);
        list.Remove(MimeAppsList::kAdded, type, id);
    }
}

// Folders only get an added association, last, so the file manager stays the
// folders' default and "Open With" offers the verb.
void SetFolderVerb(MimeAppsList& list, const char* id, bool wanted) {
    if (wanted)
        list.AddLast(MimeAppsList::kAdded, kFolderType, id);
    else
        list.Remove(MimeAppsList::kAdded, kFolderType, id);
}

// Refreshes the desktop's cache of the folder's types, where the tool exists;
// file managers also read the entries without it.
void UpdateDesktopDatabase(const std::string& folder) {
    const char* argv[] = {"update-desktop-database", "-q", folder.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

XdgUserFolders XdgUserFolders::FromEnvironment() {
    return {FolderFromEnvironment("XDG_DATA_HOME", ".local/share"),
            FolderFromEnvironment("XDG_CONFIG_HOME", ".config")};
}

ShellRegistration::ShellRegistration(XdgUserFolders folders, std::string programPath)
    : folders_(std::move(folders)), programPath_(std::move(programPath)) {}

std::string ShellRegistration::ApplicationsFolder() const {
    return folders_.dataHome + "/applications";
}

std::string ShellRegistration::MimeAppsPath() const {
    return folders_.configHome + "/mimeapps.list";
}

std::string ShellRegistration::ServiceMenuPath() const {
    return folders_.dataHome + "/kio/servicemenus/zeb-folder.desktop";
}

std::string ShellRegistration::EntryPath(const char* id) const {
    return ApplicationsFolder() + "/" + id;
}

ShellRegistrationState ShellRegistration::Read() const {
    const Commands commands(programPath_);
    const MimeAppsList list(ReadWholeFile(MimeAppsPath()));
    ShellRegistrationState state;

    const auto files = ReadDesktopEntry(EntryPath(kFilesEntry));
    const std::string filesExec = ValueOf(files, "Desktop Entry/Exec");
    const bool filesValid = ValueOf(files, "Desktop Action Open/Exec") == commands.open &&
                            ValueOf(files, "Desktop Action Add/Exec") == commands.add &&
                            (filesExec == commands.open || filesExec == commands.add);
    auto handles = [&](const auto& types) {
        return filesValid && std::all_of(types.begin(), types.end(), [&](const char* type) {
                   return IsFirst(list, type, kFilesEntry);
               });
    };
    state.mp3 = handles(kMp3Types);
    state.wav = handles(kWavTypes);
    state.addDefault = filesValid && filesExec == commands.add;

    const auto cd = ReadDesktopEntry(EntryPath(kAudioCdEntry));
    state.audioCd = ValueOf(cd, "Desktop Entry/Exec") == commands.playCd &&
                    IsFirst(list, kAudioCdType, kAudioCdEntry);

    auto folderVerb = [&](const char* id, const std::string& exec) {
        const auto entry = ReadDesktopEntry(EntryPath(id));
        return ValueOf(entry, "Desktop Entry/Exec") == exec && IsAdded(list, kFolderType, id);
    };
    state.folderPlay = folderVerb(kFolderPlayEntry, commands.open);
    state.folderAdd = folderVerb(kFolderAddEntry, commands.add);
    return state;
}

bool ShellRegistration::Write(const ShellRegistrationState& state) const {
    const Commands commands(programPath_);
    bool ok = true;
    bool entriesChanged = false;

    std::vector<std::string> types;
    if (state.mp3)
        types.insert(types.end(), kMp3Types.begin(), kMp3Types.end());
    if (state.wav)
        types.insert(types.end(), kWavTypes.begin(), kWavTypes.end());
    ok = WriteOrRemove(EntryPath(kFilesEntry), !types.empty(),
                       FilesEntry(commands, types, state.addDefault), entriesChanged) &&
         ok;
    ok = WriteOrRemove(EntryPath(kAudioCdEntry), state.audioCd,
                       SingleEntry("ZEB CD", commands.playCd, kAudioCdType), entriesChanged) &&
         ok;
    ok = WriteOrRemove(EntryPath(kFolderPlayEntry), state.folderPlay,
                       SingleEntry("Play with ZEB", commands.open, kFolderType), entriesChanged) &&
         ok;
    ok = WriteOrRemove(EntryPath(kFolderAddEntry), state.folderAdd,
                       SingleEntry("Add to playlist", commands.add, kFolderType), entriesChanged) &&
         ok;

    const std::string serviceMenu = ServiceMenuPath();
    bool serviceMenuChanged = false;
    ok = WriteOrRemove(serviceMenu, state.folderPlay || state.folderAdd,
                       FolderServiceMenu(commands, state.folderPlay, state.folderAdd),
                       serviceMenuChanged) &&
         ok;
    if (serviceMenuChanged && (state.folderPlay || state.folderAdd))
        ok = ::chmod(serviceMenu.c_str(), 0755) == 0 && ok;

    const std::string before = ReadWholeFile(MimeAppsPath());
    MimeAppsList list(before);
    for (const char* type : kMp3Types)
        SetHandler(list, type, kFilesEntry, state.mp3);
    for (const char* type : kWavTypes)
        SetHandler(list, type, kFilesEntry, state.wav);
    SetHandler(list, kAudioCdType, kAudioCdEntry, state.audioCd);
    SetFolderVerb(list, kFolderPlayEntry, state.folderPlay);
    SetFolderVerb(list, kFolderAddEntry, state.folderAdd);
    if (list.Text() != before)
        ok = EnsureFolder(folders_.configHome) &&
             WriteFileAtomically(MimeAppsPath(), list.Text()) && ok;
    if (entriesChanged)
        UpdateDesktopDatabase(ApplicationsFolder());
    return ok;
}

} // namespace zeb
