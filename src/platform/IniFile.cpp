#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileLock.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsCommentLine(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == ';' || trimmed.front() == '#');
}

// The section name of a "[name]" line, or nothing for any other line. The
// name reaches to the line's last ']', so names holding a ']' (a user name
// may) match the headers written for them.
std::optional<std::string_view> SectionNameOf(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    t.remove_prefix(1);
    size_t close = t.rfind(']');
    if (close != std::string_view::npos)
        t = t.substr(0, close);
    return Trim(t);
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
    size_t valueOffset; // where the value text starts in the line
};

std::optional<KeyLine> KeyLineOf(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() == '[' || IsCommentLine(t))
        return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    std::string_view key = Trim(line.substr(0, eq));
    if (key.empty())
        return std::nullopt;
    size_t valueStart = eq + 1;
    while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t'))
        ++valueStart;
    return KeyLine{key, Trim(line.substr(eq + 1)), valueStart};
}

// A stored value loses one pair of matching enclosing quotes.
std::string_view Unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Writes a value so that reading it back gives the same text: line breaks
// would split the file and become spaces; values that reading would alter
// (outer white space, enclosing quotes) are wrapped in double quotes.
std::string FormatValue(std::string_view value) {
    std::string v(value);
    for (char& c : v) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    bool outerSpace = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
    bool quoted = Unquote(v).size() != v.size();
    if (outerSpace || quoted)
        return '"' + v + '"';
    return v;
}

bool IsBlankLine(std::string_view line) {
    return Trim(line).empty();
}

} // namespace

std::optional<int32_t> ParseIniInt(std::string_view value) {
    std::string_view v = Trim(value);
    bool negative = false;
    if (!v.empty() && (v.front() == '+' || v.front() == '-')) {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    if (v.empty() || v.front() < '0' || v.front() > '9')
        return std::nullopt;
    int64_t magnitude = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            break;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t(INT32_MAX) + 1)
            magnitude = int64_t(INT32_MAX) + 1;
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX)
        result = INT32_MAX;
    return static_cast<int32_t>(result);
}

// ---------------------------------------------------------------- IniDocument

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    if (text.starts_with(kUtf8Bom)) {
        doc.bom_ = true;
        text.remove_prefix(kUtf8Bom.size());
    }
    size_t firstNl = text.find('\n');
    if (firstNl != std::string_view::npos && firstNl > 0 && text[firstNl - 1] == '\r')
        doc.eol_ = "\r\n";
    doc.finalEol_ = text.empty() || text.back() == '\n';
    size_t pos = 0;
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string_view::npos ? text.size() : nl;
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        doc.lines_.push_back({std::string(line)});
        pos = end + 1;
    }
    return doc;
}

std::string IniDocument::Serialize() const {
    std::string out;
    if (bom_)
        out += kUtf8Bom;
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        if (i + 1 < lines_.size() || finalEol_)
            out += eol_;
    }
    return out;
}

std::optional<IniDocument::SectionSpan> IniDocument::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        auto name = SectionNameOf(lines_[i].text);
        if (!name || !EqualsIgnoreCase(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && !SectionNameOf(lines_[end].text))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> IniDocument::FindKey(const SectionSpan& span, std::string_view key) const {
    for (size_t i = span.header + 1; i < span.end; ++i) {
        auto kl = KeyLineOf(lines_[i].text);
        if (kl && EqualsIgnoreCase(kl->key, key))
            return i;
    }
    return std::nullopt;
}

// New keys go after the section's last non-blank line, so blank lines that
// separate it from the next section stay where they are.
size_t IniDocument::InsertionPointFor(const SectionSpan& span) const {
    size_t at = span.end;
    while (at > span.header + 1 && IsBlankLine(lines_[at - 1].text))
        --at;
    return at;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    auto span = FindSection(section);
    if (!span)
        return std::nullopt;
    auto at = FindKey(*span, key);
    if (!at)
        return std::nullopt;
    auto kl = KeyLineOf(lines_[*at].text);
    return std::string(Unquote(kl->value));
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string formatted = FormatValue(value);
    auto span = FindSection(section);
    if (!span) {
        if (!lines_.empty() && !IsBlankLine(lines_.back().text))
            lines_.push_back({""});
        lines_.push_back({"[" + std::string(section) + "]"});
        lines_.push_back({std::string(key) + "=" + formatted});
        finalEol_ = true;
        return;
    }
    if (auto at = FindKey(*span, key)) {
        std::string& text = lines_[*at].text;
        size_t offset = KeyLineOf(text)->valueOffset;
        text = text.substr(0, offset) + formatted;
        return;
    }
    size_t at = InsertionPointFor(*span);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  {std::string(key) + "=" + formatted});
    if (at == lines_.size() - 1)
        finalEol_ = true;
}

bool IniDocument::RemoveKey(std::string_view section, std::string_view key) {
    auto span = FindSection(section);
    if (!span)
        return false;
    auto at = FindKey(*span, key);
    if (!at)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    return true;
}

bool IniDocument::RemoveSection(std::string_view section) {
    auto span = FindSection(section);
    if (!span)
        return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
    return true;
}

std::vector<std::string> IniDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (auto name = SectionNameOf(line.text))
            names.emplace_back(*name);
    }
    return names;
}

std::vector<std::string> IniDocument::KeyNames(std::string_view section) const {
    std::vector<std::string> names;
    auto span = FindSection(section);
    if (!span)
        return names;
    for (size_t i = span->header + 1; i < span->end; ++i) {
        if (auto kl = KeyLineOf(lines_[i].text))
            names.emplace_back(kl->key);
    }
    return names;
}

// -------------------------------------------------------------------- IniFile

namespace {

// Reads a regular file only: opening a named pipe or a device in its place
// must not block or read forever.
bool ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    bool ok = true;
    out.clear();
    char buf[8192];
    while (ok) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
    RemoveStaleTemporaries(path_);
}

void IniFile::RefreshLocked() const {
    if (batchDepth_ > 0 && loaded_)
        return; // pending batch edits are the truth until committed
    Stamp now;
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        now.exists = true;
        now.size = st.st_size;
        now.mtimeNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        now.inode = st.st_ino;
    }
    if (loaded_ && now == stamp_)
        return;
    std::string text;
    doc_ = (now.exists && ReadWholeFile(path_, text)) ? IniDocument::Parse(text) : IniDocument();
    stamp_ = now;
    loaded_ = true;
}

bool IniFile::StoreLocked() {
    if (!WriteFileAtomically(path_, doc_.Serialize())) {
        loaded_ = false; // reread the disk's content next time
        return false;
    }
    loaded_ = false;
    RefreshLocked();
    return true;
}

template <typename Edit>
bool IniFile::EditLocked(Edit&& edit) {
    if (batchDepth_ > 0) {
        RefreshLocked();
        edit(doc_);
        batchDirty_ = true;
        return true;
    }
    // Another process may have replaced the file a moment ago: read it
    // again under the lock, so its keys survive this edit.
    const FileLock lock(path_);
    loaded_ = false;
    RefreshLocked();
    edit(doc_);
    return StoreLocked();
}

int IniFile::GetInt(std::string_view section, std::string_view key, int defaultValue) const {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    auto value = doc_.Get(section, key);
    if (!value)
        return defaultValue;
    return ParseIniInt(*value).value_or(defaultValue);
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    auto value = doc_.Get(section, key);
    return value ? *value : std::string(defaultValue);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    std::lock_guard lock(mutex_);
    return EditLocked([&](IniDocument& d) { d.Set(section, key, value); });
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::RemoveKey(std::string_view section, std::string_view key) {
    std::lock_guard lock(mutex_);
    return EditLocked([&](IniDocument& d) { d.RemoveKey(section, key); });
}

bool IniFile::RemoveSection(std::string_view section) {
    std::lock_guard lock(mutex_);
    return EditLocked([&](IniDocument& d) { d.RemoveSection(section); });
}

std::vector<std::string> IniFile::SectionNames() const {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    return doc_.SectionNames();
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const {
    std::lock_guard lock(mutex_);
    RefreshLocked();
    return doc_.KeyNames(section);
}

IniFile::Batch::Batch(IniFile& file) : file_(file) {
    file_.mutex_.lock();
    if (file_.batchDepth_ == 0) {
        // The outermost batch holds the file lock until it is written, so
        // other processes cannot slip a change in between read and replace.
        lock_ = std::make_unique<FileLock>(file_.path_);
        file_.loaded_ = false;
    }
    file_.RefreshLocked();
    ++file_.batchDepth_;
}

IniFile::Batch::~Batch() {
    Commit();
}

bool IniFile::Batch::Commit() {
    if (done_)
        return true;
    done_ = true;
    bool ok = true;
    if (--file_.batchDepth_ == 0 && file_.batchDirty_) {
        file_.batchDirty_ = false;
        ok = file_.StoreLocked();
    }
    lock_.reset();
    file_.mutex_.unlock();
    return ok;
}

} // namespace zeb
