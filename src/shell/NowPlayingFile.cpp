#include "shell/NowPlayingFile.h"

#include "platform/AtomicFile.h"
#include "resources/LanguageResources.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <iconv.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace zeb {

namespace {

bool IsLineBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view TrimLine(std::string_view s) {
    while (!s.empty() && IsLineBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsLineBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Every "%t" or "%T" replaced by the name; the inserted name is not searched
// again, so a name holding "%T" stays as it is.
std::string ReplaceTitle(std::string_view format, std::string_view name) {
    std::string out;
    out.reserve(format.size() + name.size());
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() &&
            (format[i + 1] == 'T' || format[i + 1] == 't')) {
            out += name;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

bool IsContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Skips the character at the front: its lead byte and continuation bytes.
void SkipCharacter(char*& in, size_t& left) {
    do {
        ++in;
        --left;
    } while (left > 0 && IsContinuationByte(static_cast<unsigned char>(*in)));
}

// A descriptor closed when it goes out of scope.
class OwnedFd {
public:
    explicit OwnedFd(int fd) : fd_(fd) {}
    ~OwnedFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OwnedFd(const OwnedFd&) = delete;
    OwnedFd& operator=(const OwnedFd&) = delete;
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// Links followed from the configured name before giving up, as the kernel
// does for a loop.
constexpr int kMaxLinkHops = 8;

struct Place {
    std::string folder;
    std::string name;
};

Place SplitPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// Opens, truncates and writes the file `name` of the folder itself, never
// through a symbolic link. Non-blocking, so that a FIFO nobody reads fails
// at once instead of holding up the player.
bool WriteInPlace(int folder, const std::string& name, std::string_view data, bool create) {
    const int flags = O_WRONLY | O_TRUNC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC |
                      (create ? O_CREAT : 0);
    int fd = ::openat(folder, name.c_str(), flags, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAllTo(fd, data);
    return (::close(fd) == 0) && ok;
}

// A new, empty, hidden file in the folder for a replacement of `name`.
std::optional<std::pair<int, std::string>> CreateFileIn(int folder, const std::string& name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary =
            "." + name + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        int fd = ::openat(folder, temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_pair(fd, temporary);
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

enum class Replaced { Yes, No, CannotCreateBeside };

// Writes a new file in the folder and renames it over `name` there, so the
// replacement cannot land anywhere else. No fsync: the file is rewritten
// every second and losing the last line in a crash does not matter, while a
// flush to disk every second would.
Replaced ReplaceWhole(int folder, const std::string& name, const struct stat* existing,
                      std::string_view data) {
    auto temporary = CreateFileIn(folder, name);
    if (!temporary)
        return Replaced::CannotCreateBeside;
    auto [fd, temporaryName] = *temporary;
    bool ok = (!existing || ::fchmod(fd, existing->st_mode & 07777) == 0) && WriteAllTo(fd, data);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::renameat(folder, temporaryName.c_str(), folder, name.c_str()) == 0)
        return Replaced::Yes;
    ::unlinkat(folder, temporaryName.c_str(), 0);
    return Replaced::No;
}

// In a sticky folder (such as /tmp) others may place links; only our own
// are followed there, as the kernel's link protection would have it.
bool MayFollowLink(int folder, const struct stat& link) {
    struct stat folderStat {};
    if (::fstat(folder, &folderStat) != 0)
        return false;
    return !(folderStat.st_mode & S_ISVTX) || link.st_uid == ::geteuid();
}

std::optional<std::string> LinkTarget(int folder, const Place& place) {
    std::string target(PATH_MAX, '\0');
    ssize_t n = ::readlinkat(folder, place.name.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size())
        return std::nullopt;
    target.resize(static_cast<size_t>(n));
    if (target.front() != '/')
        target = place.folder + "/" + target;
    return target;
}

bool WriteNewFile(int folder, const std::string& name, std::string_view data) {
    // Nothing can read a new file half written once it appears.
    Replaced r = ReplaceWhole(folder, name, nullptr, data);
    return r == Replaced::Yes ||
           (r == Replaced::CannotCreateBeside && WriteInPlace(folder, name, data, true));
}

bool WriteExistingFile(int folder, const std::string& name, const struct stat& st,
                       std::string_view data) {
    const bool replaceable = S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
    if (!replaceable)
        return WriteInPlace(folder, name, data, false);
    // A file we may not write stays as it is, as opening it would fail.
    if ((st.st_mode & 0222) == 0 || ::faccessat(folder, name.c_str(), W_OK, 0) != 0)
        return false;
    Replaced r = ReplaceWhole(folder, name, &st, data);
    return r == Replaced::Yes ||
           (r == Replaced::CannotCreateBeside && WriteInPlace(folder, name, data, false));
}

// The file named `path` holds `data` afterwards, replaced whole where that
// is safe and written in place otherwise. A symbolic link is followed to
// the file it names, which gets the line, and stays a link.
bool WriteLineFile(const std::string& path, std::string_view data, int hopsLeft) {
    const Place place = SplitPath(path);
    if (place.name.empty() || place.name == "." || place.name == "..")
        return false;
    OwnedFd folder(::open(place.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!folder.Valid())
        return false;
    struct stat st {};
    if (::fstatat(folder.Get(), place.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && WriteNewFile(folder.Get(), place.name, data);
    if (!S_ISLNK(st.st_mode))
        return WriteExistingFile(folder.Get(), place.name, st, data);
    if (hopsLeft == 0 || !MayFollowLink(folder.Get(), st))
        return false;
    std::optional<std::string> target = LinkTarget(folder.Get(), place);
    return target && WriteLineFile(*target, data, hopsLeft - 1);
}

} // namespace

std::string NowPlayingLine(const MainWndSettings& settings, NowPlayingState state,
                           std::string_view shownName, bool exiting) {
    if (exiting)
        return std::string(TrimLine(settings.W2Fexit));
    const std::string& format = state == NowPlayingState::Playing  ? settings.W2Fplay
                                : state == NowPlayingState::Paused ? settings.W2Fpause
                                                                   : settings.W2Fstop;
    return std::string(TrimLine(ReplaceTitle(format, shownName)));
}

std::string ToOemCodePage(std::string_view utf8, int language) {
    std::string out;
    iconv_t cd = ::iconv_open(IsDanish(language) ? "CP850" : "CP866", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter installed: ASCII is the same in both code pages.
        std::string in(utf8);
        char* p = in.data();
        size_t left = in.size();
        while (left > 0) {
            if (static_cast<unsigned char>(*p) < 0x80) {
                out += *p++;
                --left;
            } else {
                out += '?';
                SkipCharacter(p, left);
            }
        }
        return out;
    }
    std::string in(utf8);
    char* inPtr = in.data();
    size_t inLeft = in.size();
    // Both code pages take one byte per character, never more than UTF-8.
    out.resize(in.size());
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno != EILSEQ && errno != EINVAL)
            break; // E2BIG cannot happen with a byte per character
        // Not in the code page, or not UTF-8: one '?' for the character.
        *outPtr++ = '?';
        --outLeft;
        SkipCharacter(inPtr, inLeft);
    }
    out.resize(out.size() - outLeft);
    ::iconv_close(cd);
    return out;
}

bool WriteNowPlaying(const MainWndSettings& settings, NowPlayingState state,
                     std::string_view shownName, bool exiting) {
    if (settings.W2Ffile.empty())
        return false;
    std::string line = NowPlayingLine(settings, state, shownName, exiting);
    if (settings.W2Foem == 1)
        line = ToOemCodePage(line, settings.Language);
    if (!WriteLineFile(settings.W2Ffile, line, kMaxLinkHops))
        return false;
    if (exiting && settings.W2Fdel == 1)
        return ::unlink(settings.W2Ffile.c_str()) == 0 || errno == ENOENT;
    return true;
}

} // namespace zeb
