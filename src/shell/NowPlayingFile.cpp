#include "shell/NowPlayingFile.h"

#include "platform/AtomicFile.h"
#include "resources/LanguageResources.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <iconv.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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

// Opens, truncates and writes the file itself. Non-blocking, so that a FIFO
// nobody reads fails at once instead of holding up the player.
bool WriteInPlace(const std::string& path, std::string_view data) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = WriteAllTo(fd, data);
    return (::close(fd) == 0) && ok;
}

enum class Replaced { Yes, No, CannotCreateBeside };

// Writes a new file beside `target` and renames it over the target. No
// fsync: the file is rewritten every second and losing the last line in a
// crash does not matter, while a flush to disk every second would.
Replaced ReplaceWhole(const std::string& target, const struct stat* existing,
                      std::string_view data) {
    auto temporary = CreateFileBeside(target, true);
    if (!temporary)
        return Replaced::CannotCreateBeside;
    auto [fd, name] = *temporary;
    bool ok = (!existing || ::fchmod(fd, existing->st_mode & 07777) == 0) && WriteAllTo(fd, data);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(name.c_str(), target.c_str()) == 0)
        return Replaced::Yes;
    ::unlink(name.c_str());
    return Replaced::No;
}

// The file named `path` holds `data` afterwards, replaced whole where that
// is safe and written in place otherwise.
bool WriteLineFile(const std::string& path, std::string_view data) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno != ENOENT)
            return false;
        // A new file: nothing can read it half written once it appears.
        Replaced r = ReplaceWhole(path, nullptr, data);
        return r == Replaced::Yes ||
               (r == Replaced::CannotCreateBeside && WriteInPlace(path, data));
    }
    std::string target = path;
    if (S_ISLNK(link.st_mode)) {
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real) // a dangling link: writing through it creates its target
            return WriteInPlace(path, data);
        target = real;
        std::free(real);
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return false;
    const bool replaceable = S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid();
    if (!replaceable)
        return WriteInPlace(path, data);
    // A file we may not write stays as it is, as opening it would fail.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return false;
    Replaced r = ReplaceWhole(target, &st, data);
    return r == Replaced::Yes || (r == Replaced::CannotCreateBeside && WriteInPlace(path, data));
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
    if (!WriteLineFile(settings.W2Ffile, line))
        return false;
    if (exiting && settings.W2Fdel == 1)
        return ::unlink(settings.W2Ffile.c_str()) == 0 || errno == ENOENT;
    return true;
}

} // namespace zeb
