// The user's mimeapps.list, edited line by line: only the lines of the
// entries changed are rewritten; every other line (other programs'
// associations, comments, lines that make no sense) stays byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class MimeAppsList {
public:
    static constexpr std::string_view kDefaults = "Default Applications";
    static constexpr std::string_view kAdded = "Added Associations";

    explicit MimeAppsList(std::string_view text = {});

    // The desktop ids listed for `mimeType` in `group`, in their order.
    std::vector<std::string> Entries(std::string_view group, std::string_view mimeType) const;
    // Puts `id` first in the list, creating the group or the line if needed.
    void AddFirst(std::string_view group, std::string_view mimeType, std::string_view id);
    // Puts `id` last in the list, likewise.
    void AddLast(std::string_view group, std::string_view mimeType, std::string_view id);
    // Takes `id` out of the list; a list left empty loses its line.
    void Remove(std::string_view group, std::string_view mimeType, std::string_view id);

    std::string Text() const;

private:
    // Lines [begin, end) of the group's body; begin == npos when missing.
    struct Range {
        size_t begin;
        size_t end;
    };
    Range FindGroup(std::string_view group) const;
    // The line index of the mime type's entry in the range, or npos.
    size_t FindLine(Range range, std::string_view mimeType) const;
    void RemoveIfEmpty(std::string_view group);
    void SetEntries(std::string_view group, std::string_view mimeType,
                    const std::vector<std::string>& ids);

    std::vector<std::string> lines_;
    bool finalNewline_ = true;
};

} // namespace zeb
