#pragma once

#include <string>

namespace zeb {

// What a rename template is filled with for one entry.
struct RenameFields {
    int listIndex = 0;  // the entry's row
    int albumIndex = 0; // its place inside its album range, from 0
    bool tagged = false;
    std::string artist; // UTF-8, as the tag shows them
    std::string title;
    std::string album;
};

// The fields of the file's ID3v1 tag for `listIndex` / `albumIndex`; false
// when the file cannot be opened for reading (such a file keeps its name).
bool ReadRenameFields(const std::string& path, int listIndex, int albumIndex, RenameFields& fields);

// True when the template may be confirmed: not empty and none of the
// characters / \ : * ? " < > !
bool RenameTemplateAcceptable(const std::string& pattern);

// The new file name (no folder) for the entry at `oldPath`: the template with
// %1..%5 replaced, the old extension appended, and every character that a
// file name or the file systems of portable players cannot hold made '_'
// (/ \ : * ? " < > | and control characters). The name stays within 255
// bytes, the stem cut at a UTF-8 character boundary.
std::string RenamedFileName(const std::string& pattern, const RenameFields& fields,
                            const std::string& oldPath);

} // namespace zeb
