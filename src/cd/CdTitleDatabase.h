#pragma once

#include "platform/IniFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

// The CD title database, CDPLAYER.INI: one section per disc, named by the
// disc key, with the disc's "Artist", "Title", the track names under "0",
// "1", ... (track number minus one), the play order "order" (zero-based
// track indices separated by single spaces) and, for other CD players,
// "numplay" and "NumTracks".
//
// The file is shared with other programs and with the CDDB worker thread:
// every lookup sees the file's current content (it is read again, cheaply,
// only when its size or time stamp changed), every store replaces the file
// atomically under a lock and keeps every other section and line as it was.
// Section and key names compare without regard to letter case. Values read
// are cut to 255 characters, as the classic 256-byte profile buffers did.
// Text is UTF-8; a value that is not (written by a program of another
// system in a single-byte code page) is taken through the legacy decoder
// when one is given. Safe to use from several threads.
class CdTitleDatabase {
public:
    // The key of "no disc": a disc identity without digits.
    static constexpr const char* kNoDisc = "0";

    // Turns a value that is not UTF-8 into UTF-8.
    using TextDecoder = std::function<std::string(std::string_view)>;

    explicit CdTitleDatabase(std::string path, TextDecoder legacyDecoder = {});

    // $XDG_CONFIG_HOME/zeb/CDPLAYER.INI, or ~/.config/zeb/CDPLAYER.INI when
    // XDG_CONFIG_HOME is unset or not absolute.
    static std::string DefaultPath();

    const std::string& Path() const { return ini_.Path(); }

    // The disc key for the reply to "info <alias> identity": the number
    // formed by the reply's leading decimal digits (after leading blanks) in
    // upper-case hexadecimal without leading zeros; kNoDisc when the reply
    // starts with no digit.
    static std::string DiscKey(const std::string& identityReply);

    // Name of track `track` (1-based); "Track <n>" when none is stored.
    std::string TrackName(const std::string& key, int track) const;
    // Disc artist and title. The default is "Unknown" when unknownDefault
    // (menus, names, now-playing text), else empty (the playlist editor, and
    // deciding whether a CDDB lookup is needed).
    std::string Artist(const std::string& key, bool unknownDefault) const;
    std::string Title(const std::string& key, bool unknownDefault) const;

    // The stored play order as written, trimmed; empty when there is none.
    std::string OrderText(const std::string& key) const;
    // The play order as 1-based track numbers; empty means disc order. Each
    // item of the order text is read by its leading digits, so an empty or
    // non-numeric item (two spaces in a row) reads as index 0, track 1.
    // Items that cannot name a CD track (negative, or beyond track 99) are
    // left out; tracks beyond the disc's count are the caller's to reject.
    std::vector<int> Order(const std::string& key) const;
    // Writes "order" and "numplay" for the 1-based track numbers in one save.
    // False when the key is kNoDisc or the file could not be written.
    bool SetOrder(const std::string& key, const std::vector<int>& tracks);

    // What a CDDB lookup stores: "Artist", "Title", the track names and
    // "NumTracks" = number of names, in one save. False when the key is
    // kNoDisc (nothing is written) or the file could not be written.
    bool StoreDisc(const std::string& key, const std::string& artist, const std::string& title,
                   const std::vector<std::string>& trackNames);
    // What the CD playlist editor stores: as StoreDisc, plus "order" and
    // "numplay" for the 1-based track numbers, in one save.
    bool StoreEntry(const std::string& key, const std::string& artist, const std::string& title,
                    const std::vector<std::string>& trackNames, const std::vector<int>& order);

    // Names of track `track` as shown. showingMode is the ShowingMode
    // setting: 2 gives "Track <n>" without reading the file, 1 "artist -
    // name", anything else the name alone.
    std::string DisplayName(const std::string& key, int track, int showingMode) const;
    // Menu and tooltip text: the track name, see MenuText.
    std::string ShortName(const std::string& key, int track) const;
    // The now-playing text: always "artist - name".
    std::string NowPlayingName(const std::string& key, int track) const;

    // A name as menu text: longer than 40 characters becomes its first 37
    // and "...", then every '&' is doubled so the menu shows it literally.
    static std::string MenuText(const std::string& name);

private:
    std::string Read(const std::string& key, const std::string& name,
                     const std::string& defaultValue) const;
    static std::string DefaultTrackName(int track);
    static std::string FormatOrder(const std::vector<int>& tracks);
    void WriteDisc(const std::string& key, const std::string& artist, const std::string& title,
                   const std::vector<std::string>& trackNames);

    IniFile ini_;
    TextDecoder legacyDecoder_;
};

} // namespace zeb
