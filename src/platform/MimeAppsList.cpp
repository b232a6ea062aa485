#include "platform/MimeAppsList.h"

#include <algorithm>

namespace zeb {

namespace {

constexpr size_t npos = std::string::npos;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool IsGroupHeader(std::string_view line) {
    line = Trim(line);
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

std::string_view KeyOf(std::string_view line) {
    const size_t eq = line.find('=');
    if (eq == npos || Trim(line).starts_with('#'))
        return {};
    return Trim(line.substr(0, eq));
}

std::vector<std::string> SplitList(std::string_view value) {
    std::vector<std::string> ids;
    while (!value.empty()) {
        const size_t semi = value.find(';');
        std::string_view id = Trim(value.substr(0, semi));
        if (!id.empty())
            ids.emplace_back(id);
        if (semi == npos)
            break;
        value.remove_prefix(semi + 1);
    }
    return ids;
}

std::string EntryLine(std::string_view mimeType, const std::vector<std::string>& ids) {
    std::string line(mimeType);
    line += '=';
    for (const std::string& id : ids)
        line += id + ';';
    return line;
}

} // namespace

MimeAppsList::MimeAppsList(std::string_view text) {
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        lines_.emplace_back(text.substr(0, nl));
        if (nl == npos) {
            finalNewline_ = false;
            break;
        }
        text.remove_prefix(nl + 1);
    }
}

MimeAppsList::Range MimeAppsList::FindGroup(std::string_view group) const {
    const std::string header = "[" + std::string(group) + "]";
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (Trim(lines_[i]) != header)
            continue;
        size_t end = i + 1;
        while (end < lines_.size() && !IsGroupHeader(lines_[end]))
            ++end;
        return {i + 1, end};
    }
    return {npos, npos};
}

size_t MimeAppsList::FindLine(Range range, std::string_view mimeType) const {
    if (range.begin == npos)
        return npos;
    for (size_t i = range.begin; i < range.end; ++i)
        if (KeyOf(lines_[i]) == mimeType)
            return i;
    return npos;
}

std::vector<std::string> MimeAppsList::Entries(std::string_view group,
                                               std::string_view mimeType) const {
    const size_t line = FindLine(FindGroup(group), mimeType);
    if (line == npos)
        return {};
    const std::string& text = lines_[line];
    return SplitList(std::string_view(text).substr(text.find('=') + 1));
}

void MimeAppsList::SetEntries(std::string_view group, std::string_view mimeType,
                              const std::vector<std::string>& ids) {
    Range range = FindGroup(group);
    const size_t line = FindLine(range, mimeType);
    if (line != npos) {
        if (ids.empty()) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
            RemoveIfEmpty(group);
        } else {
            lines_[line] = EntryLine(mimeType, ids);
        }
        return;
    }
    if (ids.empty())
        return;
    if (range.begin == npos) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back("[" + std::string(group) + "]");
        finalNewline_ = true;
        range = {lines_.size(), lines_.size()};
    }
    // After the group's last line that is not blank, so a blank line before
    // the next group stays where it is.
    size_t at = range.end;
    while (at > range.begin && Trim(lines_[at - 1]).empty())
        --at;
    if (at == lines_.size())
        finalNewline_ = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), EntryLine(mimeType, ids));
}

// A group left with blank lines only goes, with the blank lines before it,
// as it came when the first entry made it.
void MimeAppsList::RemoveIfEmpty(std::string_view group) {
    const Range range = FindGroup(group);
    for (size_t i = range.begin; i < range.end; ++i)
        if (!Trim(lines_[i]).empty())
            return;
    size_t begin = range.begin - 1;
    size_t end = range.end;
    if (end == lines_.size()) {
        while (begin > 0 && Trim(lines_[begin - 1]).empty())
            --begin;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(begin),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
}

void MimeAppsList::AddFirst(std::string_view group, std::string_view mimeType,
                            std::string_view id) {
    std::vector<std::string> ids = Entries(group, mimeType);
    if (!ids.empty() && ids.front() == id)
        return;
    std::erase(ids, std::string(id));
    ids.insert(ids.begin(), std::string(id));
    SetEntries(group, mimeType, ids);
}

void MimeAppsList::AddLast(std::string_view group, std::string_view mimeType, std::string_view id) {
    std::vector<std::string> ids = Entries(group, mimeType);
    if (!ids.empty() && ids.back() == id)
        return;
    std::erase(ids, std::string(id));
    ids.emplace_back(id);
    SetEntries(group, mimeType, ids);
}

void MimeAppsList::Remove(std::string_view group, std::string_view mimeType, std::string_view id) {
    std::vector<std::string> ids = Entries(group, mimeType);
    if (std::find(ids.begin(), ids.end(), id) == ids.end())
        return;
    std::erase(ids, std::string(id));
    SetEntries(group, mimeType, ids);
}

std::string MimeAppsList::Text() const {
    std::string text;
    for (size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || finalNewline_)
            text += '\n';
    }
    return text;
}

} // namespace zeb
