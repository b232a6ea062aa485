#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeb {

struct DiscToc;

// One disc a CDDB query answered with.
struct CddbMatch {
    std::string category;
    std::string discId;
    std::string title; // "artist / title" as the server lists it
};

// What a CDDB read answered: names in UTF-8, track names by track index.
struct CddbDisc {
    std::string artist;
    std::string title;
    std::vector<std::string> trackNames;
};

// The greeting the server gets with every command: the mail address with its
// "@" turned into the field separator, then the client's name and version.
std::string CddbHello(std::string_view email, std::string_view version);
// The "cddb query" request for `toc`; `server` is "host" or "host:port".
std::string CddbQueryUrl(const std::string& server, const std::string& email, const DiscToc& toc);
// The "cddb read" request for one match of a query.
std::string CddbReadUrl(const std::string& server, const std::string& email,
                        const CddbMatch& match);

// The lines of a reply body, without their line ends.
std::vector<std::string> SplitReplyLines(std::string_view body);
// The matches of a query reply: one for 200, the listed ones for 211; none
// for any other status or a reply that does not name category and disc id.
std::vector<CddbMatch> ParseQueryReply(const std::vector<std::string>& lines);
// The disc of a read reply (status 210); nothing when the reply has another
// status or names neither the disc nor a track.
std::optional<CddbDisc> ParseReadReply(const std::vector<std::string>& lines);

// Reply text as UTF-8: text that already is valid UTF-8 stays, anything else
// is taken as ISO-8859-1, which protocol level 1 servers send.
std::string CddbTextToUtf8(std::string_view text);

} // namespace zeb
