#include "playlist/AnsiCodePage.h"
#include "playlist/Genres.h"
#include "playlist/Id3v1Tag.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::string Fixture(const std::string& name) {
    return std::string(ZEB_FIXTURES_DIR) + "/" + name;
}

// A private copy of a real encoded file.
std::string CopyFixture(const TempDir& dir, const std::string& fixture, const std::string& name) {
    const std::string path = dir.File(name);
    std::filesystem::copy_file(Fixture(fixture), path);
    return path;
}

Id3v1Tag SampleTag() {
    Id3v1Tag tag;
    tag.title = "Song";
    tag.artist = "Band";
    tag.album = "Record";
    tag.year = "2001";
    tag.comment = "Nice";
    tag.genre = 17;
    return tag;
}

// WriteId3v1 while no write may reach beyond limit bytes, as on a full disk.
bool WriteWithSizeLimit(const std::string& path, const Id3v1Tag& tag, rlim_t limit) {
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ::getrlimit(RLIMIT_FSIZE, &was);
    rlimit small = was;
    small.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool written = WriteId3v1(path, tag);
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, oldHandler);
    return written;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

TEST(Id3v1Read, EncoderWrittenTagIsRead) {
    const auto tag = ReadId3v1(Fixture("id3v1.mp3"));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Fixture Title");
    EXPECT_EQ(tag->artist, "Fixture Artist");
    EXPECT_EQ(tag->album, "Fixture Album");
    EXPECT_EQ(tag->year, "1999");
    EXPECT_EQ(tag->comment, "Fixture Comment");
    EXPECT_EQ(tag->genre, 17);
    EXPECT_EQ(GenreName(tag->genre), "Rock");
    EXPECT_FALSE(ReadId3v1(Fixture("cbr128.mp3")));
    EXPECT_FALSE(ReadId3v1(Fixture("id3v2.mp3"))) << "an ID3v2 tag in front is no ID3v1 tag";
}

TEST(Id3v1Read, FileOfAtMost128BytesNeverHasATag) {
    TempDir dir;
    std::string block = FormatId3v1(SampleTag());
    WriteFile(dir.File("exact.mp3"), block);
    EXPECT_FALSE(ReadId3v1(dir.File("exact.mp3")));
    WriteFile(dir.File("longer.mp3"), "x" + block);
    EXPECT_TRUE(ReadId3v1(dir.File("longer.mp3")));
    EXPECT_FALSE(ReadId3v1(dir.File("missing.mp3")));
}

TEST(Id3v1Read, FieldsCutAtZeroAndTrailingBlanksRemoved) {
    std::string block(128, ' ');
    block.replace(0, 3, "TAG");
    block.replace(3, 8, "Ab\0junk!", 8);
    block.replace(33, 6, "  Lead");
    block[127] = static_cast<char>(200);
    const auto tag = ParseId3v1(block);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Ab");
    EXPECT_EQ(tag->artist, "  Lead") << "leading blanks belong to the stored field";
    EXPECT_EQ(Id3v1DisplayText(tag->artist), "Lead");
    EXPECT_EQ(tag->album, "");
    EXPECT_EQ(tag->genre, 200);
    EXPECT_EQ(GenreName(tag->genre), "");
    block[0] = 't';
    EXPECT_FALSE(ParseId3v1(block)) << "the marker is compared exactly";
}

TEST(Id3v1Write, AddingThenRemovingRestoresTheFile) {
    TempDir dir;
    const std::string path = CopyFixture(dir, "cbr128.mp3", "song.mp3");
    const std::string original = ReadFile(path);

    ASSERT_TRUE(WriteId3v1(path, SampleTag()));
    EXPECT_EQ(ReadFile(path).size(), original.size() + 128);
    EXPECT_EQ(ReadId3v1(path), SampleTag());

    Id3v1Tag changed = SampleTag();
    changed.title = "Other";
    ASSERT_TRUE(WriteId3v1(path, changed));
    EXPECT_EQ(ReadFile(path).size(), original.size() + 128) << "an existing tag is overwritten";
    EXPECT_EQ(ReadId3v1(path), changed);

    ASSERT_TRUE(RemoveId3v1(path));
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_FALSE(RemoveId3v1(path)) << "nothing to remove";
    EXPECT_EQ(ReadFile(path), original);
}

TEST(Id3v1Write, PaddingWithSpacesAndGenreNone) {
    Id3v1Tag tag;
    tag.title = std::string(30, 'T');
    tag.artist = "Ab";
    tag.year = "19";
    tag.genre = kNoGenre;
    const std::string block = FormatId3v1(tag);
    ASSERT_EQ(block.size(), 128u);
    EXPECT_EQ(block.substr(0, 3), "TAG");
    EXPECT_EQ(block.substr(3, 30), std::string(30, 'T'));
    EXPECT_EQ(block.substr(33, 30), "Ab" + std::string(28, ' '));
    EXPECT_EQ(block.substr(93, 4), "19  ");
    EXPECT_EQ(block.find('\0'), std::string::npos) << "padding is spaces, not zeros";
    EXPECT_EQ(static_cast<unsigned char>(block[127]), 255);

    tag.genre = 148;
    EXPECT_EQ(static_cast<unsigned char>(FormatId3v1(tag)[127]), 255);
    tag.genre = 0;
    EXPECT_EQ(FormatId3v1(tag)[127], 0);
    tag.title = std::string(31, 'x');
    EXPECT_EQ(ParseId3v1(FormatId3v1(tag))->title, std::string(30, 'x')) << "longer text cut";
}

TEST(Id3v1Write, ReadOnlyFileTakesTheTagAndStaysReadOnly) {
    TempDir dir;
    const std::string path = CopyFixture(dir, "cbr128.mp3", "locked.mp3");
    const auto before = ReadFile(path).size();
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    ASSERT_TRUE(WriteId3v1(path, SampleTag()));
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(ReadId3v1(path), SampleTag());

    ASSERT_TRUE(RemoveId3v1(path));
    EXPECT_EQ(ModeOf(path), 0444u);
    EXPECT_EQ(ReadFile(path).size(), before);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteId3v1(path, SampleTag()));
    EXPECT_EQ(ModeOf(path), 0640u) << "other permission bits are kept too";
}

// A write cut short (full disk, file-size limit) must leave the file as it
// was; junk left at the end would make the next write append a second tag.
TEST(Id3v1Write, WriteFailingPartWayChangesNothing) {
    TempDir dir;
    const std::string path = CopyFixture(dir, "cbr128.mp3", "song.mp3");
    const std::string original = ReadFile(path);
    EXPECT_FALSE(WriteWithSizeLimit(path, SampleTag(), original.size() + 50));
    EXPECT_EQ(ReadFile(path), original);
    ASSERT_TRUE(WriteId3v1(path, SampleTag()));
    EXPECT_EQ(ReadFile(path).size(), original.size() + 128);

    // With a tag in place: a failure of the overwrite keeps the old tag.
    const std::string tagged = ReadFile(path);
    Id3v1Tag other = SampleTag();
    other.title = "Other";
    EXPECT_FALSE(WriteWithSizeLimit(path, other, tagged.size() - 60));
    EXPECT_EQ(ReadFile(path), tagged);
}

TEST(Id3v1Write, MissingFileIsNotCreated) {
    TempDir dir;
    EXPECT_FALSE(WriteId3v1(dir.File("none.mp3"), SampleTag()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.mp3")));
    EXPECT_FALSE(RemoveId3v1(dir.File("none.mp3")));
}

TEST(Id3v1Text, Utf8IsNeverCutInsideACharacter) {
    const std::string e = "\xC3\xA9"; // é
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(CutUtf8(std::string(29, 'a') + e, 30), std::string(29, 'a'));
    EXPECT_EQ(CutUtf8(std::string(28, 'a') + e, 30), std::string(28, 'a') + e);
    EXPECT_EQ(CutUtf8(std::string(28, 'a') + euro, 30), std::string(28, 'a'));
    EXPECT_EQ(CutUtf8("abc", 30), "abc");
    // Latin-1 bytes are not UTF-8: they are cut by bytes.
    EXPECT_EQ(CutUtf8(std::string(29, 'a') + "\xB0\xB0", 30), std::string(29, 'a') + "\xB0");

    Id3v1Tag tag;
    tag.title = std::string(29, 'a') + e;
    const std::string block = FormatId3v1(tag);
    EXPECT_EQ(block.substr(3, 30), std::string(29, 'a') + " ");
}

TEST(Id3v1Text, ShownAsUtf8WhenValidElseInTheCodePage) {
    EXPECT_EQ(Id3v1TextToUtf8("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(Id3v1TextToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(Id3v1TextToUtf8("\xFF"), "\xC3\xBF");
    EXPECT_EQ(Id3v1TextToUtf8("\xC3"), "\xC3\x83") << "a cut sequence is not UTF-8";
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF")) << "overlong";
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));
    EXPECT_EQ(Id3v1DisplayText("  Caf\xE9  "), "Caf\xC3\xA9");
}

// The interface language's code page while it lives; Danish again after.
struct InterfaceLanguage {
    explicit InterfaceLanguage(int language) { SetAnsiCodePageForLanguage(language); }
    ~InterfaceLanguage() { SetAnsiCodePageForLanguage(0); }
};

const std::string kPrivet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";
const std::string kPrivet1251 = "\xCF\xF0\xE8\xE2\xE5\xF2";

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// Text that is not UTF-8 comes from Windows in its ANSI code page; text that
// fits the code page is written in it, so 30 Cyrillic letters fit a field.
TEST(Id3v1Text, InTheInterfaceLanguagesCodePage) {
    TempDir dir;
    const std::string path = CopyFixture(dir, "cbr128.mp3", "ru.mp3");
    {
        InterfaceLanguage russian(1);
        EXPECT_EQ(Id3v1TextToUtf8(kPrivet1251), kPrivet);
        Id3v1Tag tag;
        tag.title = Repeated(kPrivet, 5);
        tag.artist = kPrivet + " Caf\xC3\xA9"; // no e acute in Windows-1251
        ASSERT_TRUE(WriteId3v1(path, tag));
        const std::optional<Id3v1Tag> read = ReadId3v1(path);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->title, Repeated(kPrivet1251, 5));
        EXPECT_EQ(Id3v1TextToUtf8(read->title), tag.title);
        EXPECT_EQ(read->artist, tag.artist) << "what does not fit stays UTF-8";
    }
    InterfaceLanguage danish(0);
    EXPECT_EQ(Id3v1TextToUtf8("S\xF8 \x80"), "S\xC3\xB8 \xE2\x82\xAC");
    Id3v1Tag tag;
    tag.title = "S\xC3\xB8";
    ASSERT_TRUE(WriteId3v1(path, tag));
    EXPECT_EQ(ReadId3v1(path)->title, "S\xF8");
}

// Writing back what the editor showed must not change the fields the user
// left alone, down to the bytes after a zero.
TEST(Id3v1Write, FieldsLeftAsShownKeepTheirBytes) {
    TempDir dir;
    const std::string path = CopyFixture(dir, "cbr128.mp3", "kept.mp3");
    const std::string artist = std::string("Caf\xE9\0junk", 9) + std::string(21, '\0');
    const std::string album = "Album" + std::string(25, ' ');
    std::string block =
        "TAG" + std::string(30, 'T') + artist + album + "1999" + std::string(30, '\0') + "\x05";
    ASSERT_EQ(block.size(), 128u);
    WriteFile(path, ReadFile(path) + block);

    const std::optional<Id3v1Tag> read = ReadId3v1(path);
    ASSERT_TRUE(read);
    Id3v1Tag shown;
    shown.title = "New";
    shown.artist = Id3v1TextToUtf8(read->artist);
    shown.album = Id3v1TextToUtf8(read->album);
    shown.year = read->year;
    shown.genre = read->genre;
    ASSERT_EQ(shown.artist, "Caf\xC3\xA9");
    ASSERT_TRUE(WriteId3v1(path, shown));
    const std::string written = ReadFile(path).substr(ReadFile(path).size() - 128);
    EXPECT_EQ(written.substr(3, 30), "New" + std::string(27, ' '));
    EXPECT_EQ(written.substr(33, 30), artist);
    EXPECT_EQ(written.substr(63, 30), album);
    EXPECT_EQ(written.substr(97, 30), std::string(30, '\0')) << "an empty field stays as it was";
}

TEST(Genres, ListAndLookup) {
    EXPECT_EQ(GenreName(0), "Blues");
    EXPECT_EQ(GenreName(79), "Hard Rock");
    EXPECT_EQ(GenreName(80), "Folk");
    EXPECT_EQ(GenreName(123), "A Cappella");
    EXPECT_EQ(GenreName(147), "Synthpop");
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(255), "");
    EXPECT_EQ(GenreName(-1), "");
    EXPECT_EQ(GenreIndex("Synthpop"), 147);
    EXPECT_EQ(GenreIndex("Rock & Roll"), 78);
    EXPECT_EQ(GenreIndex("rock"), kNoGenre) << "names match exactly";
    EXPECT_EQ(GenreIndex(""), kNoGenre);
    for (int i = 0; i < kGenreCount; ++i) {
        ASSERT_FALSE(GenreName(i).empty()) << i;
        EXPECT_EQ(GenreIndex(GenreName(i)), i) << "names are unique: " << GenreName(i);
    }
}

} // namespace
} // namespace zeb
