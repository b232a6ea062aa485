#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

class FileLock;

// The text of an INI file as lines, with lookups and edits that behave like
// the classic private-profile functions: section and key names compare
// without regard to letter case, the first matching section and key win,
// values are trimmed and lose one pair of enclosing quotes, and an edit
// touches only the line it changes.
class IniDocument {
public:
    IniDocument() = default;
    static IniDocument Parse(std::string_view text);
    std::string Serialize() const;

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // Replaces the first matching key's value in place, or appends the key
    // to the first matching section, or appends the section.
    void Set(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    bool Empty() const { return lines_.empty(); }

private:
    struct Line {
        std::string text;
    };
    struct SectionSpan {
        size_t header; // index of the "[name]" line
        size_t end;    // one past the last line of the section
    };

    std::optional<SectionSpan> FindSection(std::string_view section) const;
    std::optional<size_t> FindKey(const SectionSpan& span, std::string_view key) const;
    size_t InsertionPointFor(const SectionSpan& span) const;

    std::vector<Line> lines_;
    std::string eol_ = "\n";
    bool bom_ = false;
    bool finalEol_ = true;
};

// Reads the leading integer of an INI value: optional white space, an
// optional sign and decimal digits ("12abc" is 12). Returns nothing when no
// digit follows; values beyond 32 bits saturate.
std::optional<int32_t> ParseIniInt(std::string_view value);

// An INI file on disk. Every read sees the file's current content (it is
// parsed again when it changed on disk), every write replaces the file
// atomically through a temporary file renamed over it, reading it again
// under a lock file first so that processes sharing the file keep each
// other's keys. A Batch groups many writes into one replacement of the file
// and holds the lock while it lives. Safe to use from several threads. A
// file that is no regular file reads as empty and is never replaced.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    int GetInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue) const;

    // Each returns false when the file could not be written.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInt(std::string_view section, std::string_view key, int value);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;

    // Holds the writes made while it lives and writes the file once at its
    // end (or at Commit). Result() tells whether that write succeeded.
    class Batch {
    public:
        explicit Batch(IniFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        bool Commit();

    private:
        IniFile& file_;
        std::unique_ptr<FileLock> lock_;
        bool done_ = false;
    };

private:
    struct Stamp {
        bool exists = false;
        int64_t size = 0;
        int64_t mtimeNs = 0;
        uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };

    void RefreshLocked() const;
    bool StoreLocked();
    template <typename Edit>
    bool EditLocked(Edit&& edit);

    std::string path_;
    mutable std::recursive_mutex mutex_;
    mutable IniDocument doc_;
    mutable Stamp stamp_;
    mutable bool loaded_ = false;
    int batchDepth_ = 0;
    bool batchDirty_ = false;
};

} // namespace zeb
