// The tag editor over real files copied from the encoded fixtures: several
// files in one run, keep buttons, Cancel, tag removal, read-only files,
// untouched fields with foreign bytes, and the empty genre.
#include "ui/TagEditorDialog.h"

#include "ModalDriver.h"
#include "playlist/Genres.h"
#include "playlist/Id3v1Tag.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"
#include "ui/DialogControls.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zeb {
namespace {

namespace fs = std::filesystem;

// Counts what the main window asks of the windows after an edit.
class RecordingHost : public test::QuietHost {
public:
    void RedrawPlaylistWindow() override { ++redraws; }
    void MarkInfoWindowForReread() override { ++rereads; }
    int redraws = 0;
    int rereads = 0;
};

// Acts on each tag editor as it shows: the n-th showing gets steps[n];
// showings past the script are counted and cancelled. A step that leaves
// the dialog open has it cancelled, so no test can hang on it.
class EditorScript {
public:
    using Step = std::function<void(TagEditorDialog*)>;

    explicit EditorScript(std::vector<Step> steps) : steps_(std::move(steps)) {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    // The file shown by each dialog, in order.
    const std::vector<std::string>& Shown() const { return shown_; }

private:
    void Poll() {
        auto* dialog = qobject_cast<TagEditorDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        shown_.push_back(FindControl<QLineEdit>(dialog, IDC_TAG_FILE_NAME)->text().toStdString());
        if (shown_.size() <= steps_.size())
            steps_[shown_.size() - 1](dialog);
        if (dialog->isVisible())
            dialog->reject();
    }

    std::vector<Step> steps_;
    std::vector<std::string> shown_;
    QTimer timer_;
};

QLineEdit* Edit(TagEditorDialog* dialog, int id) {
    return FindControl<QLineEdit>(dialog, id);
}

void Click(TagEditorDialog* dialog, int id) {
    auto* button = FindControl<QPushButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

void Type(TagEditorDialog* dialog, int id, const QString& text) {
    QLineEdit* edit = Edit(dialog, id);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

std::string LastBlock(const std::string& path) {
    const std::string bytes = test::ReadFile(path);
    return bytes.size() < 128 ? std::string() : bytes.substr(bytes.size() - 128);
}

class TagEditorDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    // A copy of a fixture, added to the list.
    std::string AddCopy(const std::string& name, const std::string& fixture = "cbr128.mp3") {
        std::string path = test::CopyFixture(dir_, name, fixture);
        wnd_.Model().Append(path);
        return path;
    }

    test::TempDir dir_;
    RecordingHost host_;
    CMainWnd wnd_{host_, 1u};
};

TEST_F(TagEditorDialogTest, KeptArtistGoesIntoEveryFileOfTheRunAndTheCurrentTitlesFollow) {
    const std::string first = AddCopy("one_song.mp3");
    const std::string second = AddCopy("two_song.mp3");
    wnd_.SetCurrentIndex(1);
    wnd_.SetCurrentTitles(second);

    EditorScript script({
        [](TagEditorDialog* d) {
            EXPECT_EQ(Edit(d, IDC_TAG_TITLE)->text(), "one song"); // no tag: the file name
            Type(d, IDC_TAG_ARTIST, "The Artist");
            Type(d, IDC_TAG_YEAR, "19x99");
            Click(d, IDC_TAG_KEEP_ARTIST);
            Click(d, IDOK);
        },
        [](TagEditorDialog* d) {
            EXPECT_EQ(Edit(d, IDC_TAG_TITLE)->text(), "two song");
            EXPECT_EQ(Edit(d, IDC_TAG_ARTIST)->text(), "The Artist");
            EXPECT_TRUE(Edit(d, IDC_TAG_YEAR)->text().isEmpty()); // not kept
            Type(d, IDC_TAG_TITLE, "New Title");
            Click(d, IDOK);
        },
    });
    EXPECT_EQ(EditTags(nullptr, wnd_, {1, 0}), 2);

    EXPECT_EQ(script.Shown(), (std::vector<std::string>{first, second}));
    std::optional<Id3v1Tag> one = ReadId3v1(first);
    std::optional<Id3v1Tag> two = ReadId3v1(second);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->artist, "The Artist");
    EXPECT_EQ(one->year, "1999");
    EXPECT_EQ(one->title, "one song");
    EXPECT_EQ(two->artist, "The Artist");
    EXPECT_EQ(two->title, "New Title");
    // The current entry's titles, info line and the windows follow.
    EXPECT_EQ(wnd_.DisplayName(), "The Artist - New Title");
    EXPECT_NE(wnd_.Model().InfoAt(1).find("New Title"), std::string::npos);
    EXPECT_NE(wnd_.Model().InfoAt(0).find("one song"), std::string::npos);
    EXPECT_EQ(host_.rereads, 1);
    EXPECT_EQ(host_.redraws, 2);
}

TEST_F(TagEditorDialogTest, CancelEndsTheRunAndLeavesTheRestUntouched) {
    const std::string first = AddCopy("a.mp3");
    const std::string second = AddCopy("b.mp3");
    const std::string third = AddCopy("c.mp3");
    const std::string original = test::ReadFile(third);

    EditorScript script({
        [](TagEditorDialog* d) { Click(d, IDOK); },
        [](TagEditorDialog* d) {
            Type(d, IDC_TAG_ARTIST, "Never Written");
            Click(d, IDCANCEL);
        },
    });
    EXPECT_EQ(EditTags(nullptr, wnd_, {0, 1, 2}), 1);

    EXPECT_EQ(script.Shown().size(), 2u);
    EXPECT_TRUE(ReadId3v1(first));
    // Compared whole, without printing the audio when they differ.
    EXPECT_TRUE(test::ReadFile(second) == original);
    EXPECT_TRUE(test::ReadFile(third) == original);
}

TEST_F(TagEditorDialogTest, RemovingTheTagRestoresTheFormerLengthAndMissingFilesAreSkipped) {
    const std::string path = AddCopy("song.mp3");
    wnd_.Model().Append(dir_.File("gone.mp3"));
    const std::string original = test::ReadFile(path);

    {
        EditorScript write({[](TagEditorDialog* d) { Click(d, IDOK); }});
        EXPECT_EQ(EditTags(nullptr, wnd_, {0, 1}), 1);
        EXPECT_EQ(fs::file_size(path), original.size() + 128);
    }
    EditorScript remove({[](TagEditorDialog* d) { Click(d, IDC_TAG_REMOVE); }});
    EXPECT_EQ(EditTags(nullptr, wnd_, {0, 1}), 1);
    EXPECT_TRUE(test::ReadFile(path) == original);
    EXPECT_EQ(remove.Shown(), std::vector<std::string>{path});
}

TEST_F(TagEditorDialogTest, ReadOnlyFileGetsItsTagAndStaysReadOnly) {
    const std::string path = AddCopy("locked.mp3");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

    EditorScript script({[](TagEditorDialog* d) {
        Type(d, IDC_TAG_TITLE, "Locked");
        Click(d, IDOK);
    }});
    EXPECT_EQ(EditTags(nullptr, wnd_, {0}), 1);

    std::optional<Id3v1Tag> tag = ReadId3v1(path);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title, "Locked");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(TagEditorDialogTest, UntouchedFieldsKeepTheirBytesAndAnEmptyGenreWrites255) {
    const std::string path = AddCopy("foreign.mp3", "id3v1.mp3");
    // Latin-1 and control bytes in the title, bytes the code page leaves
    // undefined in the artist, a year that is no number, a listed genre.
    std::string block = LastBlock(path);
    const std::string title = std::string("Caf\xE9\x01\x02 \x7F", 9) + std::string(21, '\0');
    const std::string artist = std::string("\x81\x8D\x8F\x90", 4) + std::string(26, ' ');
    block.replace(3, 30, title);
    block.replace(33, 30, artist);
    block.replace(93, 4, "c.99");
    std::string bytes = test::ReadFile(path);
    bytes.replace(bytes.size() - 128, 128, block);
    test::WriteFile(path, bytes);

    EditorScript script({[](TagEditorDialog* d) {
        auto* genre = FindControl<QComboBox>(d, IDC_TAG_GENRE);
        EXPECT_EQ(genre->currentText().toStdString(), GenreName(17));
        EXPECT_TRUE(genre->itemText(0).isEmpty());
        genre->setCurrentIndex(0);
        Type(d, IDC_TAG_ALBUM, "Other Album");
        Click(d, IDOK);
    }});
    EXPECT_EQ(EditTags(nullptr, wnd_, {0}), 1);

    const std::string written = LastBlock(path);
    EXPECT_EQ(written.substr(3, 30), title);
    EXPECT_EQ(written.substr(33, 30), artist);
    EXPECT_EQ(written.substr(63, 30), "Other Album" + std::string(19, ' '));
    EXPECT_EQ(written.substr(93, 4), "c.99");
    EXPECT_EQ(static_cast<unsigned char>(written[127]), 255);
}

} // namespace
} // namespace zeb
