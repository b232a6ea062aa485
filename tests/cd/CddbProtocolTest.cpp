#include "cd/CddbProtocol.h"

#include "cd/DiscToc.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

CddbDisc ReadDisc(const std::vector<std::string>& entry) {
    std::vector<std::string> lines{"210 rock 01020304 CD database entry follows"};
    lines.insert(lines.end(), entry.begin(), entry.end());
    lines.push_back(".");
    std::optional<CddbDisc> disc = ParseReadReply(lines);
    EXPECT_TRUE(disc.has_value());
    return disc.value_or(CddbDisc{});
}

TEST(CddbProtocolTest, DiscTitleSplitsAtTheFirstAndLastSlash) {
    CddbDisc two = ReadDisc({"DTITLE= AC/DC / Live / Part One "});
    EXPECT_EQ(two.artist, "AC");
    EXPECT_EQ(two.title, "Part One");

    CddbDisc none = ReadDisc({"DTITLE=Just A Title", "TTITLE0=x"});
    EXPECT_EQ(none.artist, "");
    EXPECT_EQ(none.title, "Just A Title");
}

TEST(CddbProtocolTest, TrackNamesKeepTheirIndexAndIgnoreBadKeys) {
    CddbDisc disc = ReadDisc({"TTITLE1=Second", "TTITLEx=bad", "TTITLE-1=bad", "TTITLE0=First",
                              "TTITLE100=beyond any disc", "EXTT0=extra"});
    EXPECT_EQ(disc.trackNames, (std::vector<std::string>{"First", "Second"}));
    // Text after the terminating line is not part of the entry.
    EXPECT_FALSE(ParseReadReply({"210 rock 01020304", ".", "DTITLE=late"}).has_value());
    EXPECT_FALSE(ParseReadReply({"401 not found", "DTITLE=a / b"}).has_value());
}

TEST(CddbProtocolTest, OneTrackQueryAndAnAddressWithoutAt) {
    DiscToc toc;
    toc.starts = {Msf{0, 2, 0}};
    toc.offsets = {150};
    toc.leadOut = Msf{3, 2, 5};
    toc.totalSeconds = 182;
    EXPECT_EQ(CddbQueryUrl("cddb.example:8880", "local only", toc),
              "http://cddb.example:8880/~cddb/cddb.cgi?cmd=cddb+query+0200b401+1+150+182"
              "&hello=local%20only+ZEB+FINAL&proto=1");
    CddbMatch match{"new age", "0200b401", ""};
    EXPECT_EQ(
        CddbReadUrl("h", "a@b@c&d", match),
        "http://h/~cddb/cddb.cgi?cmd=cddb+read+new%20age+0200b401&hello=a+b+c%26d+ZEB+2&proto=1");
}

TEST(CddbProtocolTest, TextThatIsNotUtf8IsReadAsLatin1) {
    EXPECT_EQ(CddbTextToUtf8("Caf\xe9"), "Caf\u00e9");
    EXPECT_EQ(CddbTextToUtf8("Caf\u00e9"), "Caf\u00e9");
    EXPECT_EQ(CddbTextToUtf8("\xc3"), "\u00c3"); // a cut UTF-8 sequence
}

} // namespace
} // namespace zeb
