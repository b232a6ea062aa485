// The open-file, open-folder and open-address commands through their real
// dialogs, offscreen, and the choice they hand to the main window.
#include "ui/OpenDialogs.h"

#include "ModalDriver.h"
#include "resources/DialogTexts.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"
#include "ui/DialogControls.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>

namespace zeb {
namespace {

namespace fs = std::filesystem;
using test::ModalDriver;
using Outcome = OpenCommands::Outcome;

// Types into the dialog's file name field and accepts; names are relative
// to the folder shown unless absolute.
void TypeAndAccept(QFileDialog* dialog, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(text);
    static_cast<QDialog*>(dialog)->accept(); // what its Open button does
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

bool Matches(const QString& filter, const QString& name) {
    // The patterns stand in the filter's last parentheses, separated by spaces.
    QString patterns = filter.mid(filter.lastIndexOf('(') + 1).chopped(1);
    for (const QString& p : patterns.split(' ', Qt::SkipEmptyParts)) {
        if (QRegularExpression::fromWildcard(p, Qt::CaseSensitive).match(name).hasMatch())
            return true;
    }
    return false;
}

TEST(NameFilters, ComeFromTheOpenFilterStringInBothLanguages) {
    QStringList da = NameFiltersFromFilterString(UiString(0, IDS_FILTER_OPEN_FILES));
    ASSERT_EQ(da.size(), 5);
    EXPECT_EQ(da[0], "Alle understøttede filer (*.[mM][pP]3 *.[wW][aA][vV] *.[mM]3[uU] "
                     "*.[pP][lL][sS])");
    EXPECT_EQ(da[1], "MP3 filer (*.mp3) (*.[mM][pP]3)");
    EXPECT_EQ(da[3], "Afspiln. lister (*.m3u, *.pls) (*.[mM]3[uU])");
    // " *.*" has a stray space; every file is meant.
    EXPECT_EQ(da[4], "Alle filer (*)");

    QStringList ru = NameFiltersFromFilterString(UiString(1, IDS_FILTER_OPEN_FILES));
    ASSERT_EQ(ru.size(), 5);
    EXPECT_TRUE(ru[0].startsWith("Все поддерживаемые файлы (*.[mM][pP]3 "));
    EXPECT_EQ(ru[4], "Все файлы (*)");

    // Letter case does not matter; other characters do.
    EXPECT_TRUE(Matches(da[0], "SONG.MP3"));
    EXPECT_TRUE(Matches(da[0], "list.Pls"));
    EXPECT_FALSE(Matches(da[0], "song.mp4"));
    EXPECT_FALSE(Matches(da[1], "song.wav"));
    EXPECT_TRUE(Matches(da[4], "README"));
}

TEST(NameFilters, TrimPatternsAndSkipFiltersWithoutAny) {
    QStringList f = NameFiltersFromFilterString("Tekst| *.t1 ; *.T2 ;|Tom| ; |Halv");
    ASSERT_EQ(f.size(), 1);
    EXPECT_EQ(f[0], "Tekst (*.[tT]1 *.[tT]2)");
    EXPECT_TRUE(NameFiltersFromFilterString("").isEmpty());
}

class OpenDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }
    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        wnd_.AutoPlay = 0;
    }
    void TearDown() override { wnd_.Player().Stop(); }

    // A real MP3 at `relative` under the test folder.
    std::string Track(const std::string& relative) { return test::CopyFixture(dir_, relative); }
    std::string Text(const std::string& relative, const std::string& content) {
        fs::path p = dir_.Path() / relative;
        fs::create_directories(p.parent_path());
        test::WriteFile(p.string(), content);
        return p.string();
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (int i = 0; i < wnd_.Count(); ++i)
            paths.push_back(wnd_.Model().PathAt(i));
        return paths;
    }
    std::string Dir(const std::string& relative = "") const {
        return relative.empty() ? dir_.Path().string() : (dir_.Path() / relative).string();
    }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 99u};
};

// ------------------------------------------------------------- applying a choice

TEST_F(OpenDialogsTest, ChosenFilesReplaceThenAppendWithPlaylistsReadAsLists) {
    wnd_.OpenChosenFiles({Track("old/x.mp3")});
    std::string a = Track("one/a.mp3");
    Track("two/b.mp3");
    std::string m3u = Text("two/list.M3U", "b.mp3\n/elsewhere/c.mp3\n");
    std::string pls = Text("three/more.pls", "[playlist]\nFile1=/far/d.mp3\nTitle1=D\n"
                                             "NumberOfEntries=1\n");
    wnd_.AutoPlay = 1;
    wnd_.OpenChosenFiles({a, m3u, pls});
    EXPECT_EQ(Paths(),
              (std::vector<std::string>{a, Dir("two/b.mp3"), "/elsewhere/c.mp3", "/far/d.mp3"}));
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Playing);
    EXPECT_EQ(wnd_.InitDir, Dir("three") + "/");
    EXPECT_EQ(wnd_.Recent[0], pls);
    EXPECT_EQ(wnd_.Recent[1], m3u);
    EXPECT_EQ(wnd_.Recent[2], a);
    EXPECT_EQ(wnd_.Recent[3], Dir("old/x.mp3"));

    // A playlist chosen first replaces the list as well.
    wnd_.OpenChosenFiles({pls});
    EXPECT_EQ(Paths(), std::vector<std::string>{"/far/d.mp3"});
}

// ------------------------------------------------------------- the file dialog

TEST_F(OpenDialogsTest, FileDialogStartsInInitDirWithTheFiltersOfTheLanguage) {
    Track("music/song.mp3");
    wnd_.InitDir = Dir("music") + "/";
    wnd_.Language = 1;
    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* d) {
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(d->nameFilters(),
                  NameFiltersFromFilterString(UiString(1, IDS_FILTER_OPEN_FILES)));
        ASSERT_EQ(d->directory().absolutePath(), Q(Dir("music")));
        TypeAndAccept(d, "song"); // a name without extension gets ".mp3"
    });
    EXPECT_EQ(ChooseFilesToOpen(nullptr, wnd_), std::vector<std::string>{Dir("music/song.mp3")});
    EXPECT_TRUE(driver->Ran());

    driver = ModalDriver::For<QFileDialog>([&](QFileDialog* d) { d->reject(); });
    EXPECT_TRUE(ChooseFilesToOpen(nullptr, wnd_).empty());
    EXPECT_TRUE(driver->Ran());
}

TEST_F(OpenDialogsTest, OpenFileCommandLoadsTheChoiceAndIgnoresItselfWhileOpen) {
    std::string a = Track("music/a.mp3");
    std::string m3u = Text("music/z.m3u", "a.mp3\nsub/b.mp3\n");
    wnd_.InitDir = Dir("music") + "/";
    wnd_.AutoPlay = 1;
    OpenCommands commands(wnd_);

    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* d) {
        EXPECT_TRUE(commands.FileOrFolderDialogOpen());
        EXPECT_FALSE(commands.AddressDialogOpen());
        auto rescue = ModalDriver::CloseOthersThan(d);
        EXPECT_EQ(commands.RunOpenFile(), Outcome::Ignored);
        EXPECT_EQ(commands.RunOpenFolder(), Outcome::Ignored);
        EXPECT_FALSE(rescue->Ran());
        rescue.reset();
        TypeAndAccept(d, "\"a.mp3\" \"z.m3u\"");
    });
    EXPECT_EQ(commands.RunOpenFile(), Outcome::Opened);
    EXPECT_TRUE(driver->Ran());
    EXPECT_FALSE(commands.FileOrFolderDialogOpen());
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, a, Dir("music/sub/b.mp3")}));
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Playing);
    EXPECT_EQ(wnd_.Recent[0], m3u);
    EXPECT_EQ(wnd_.Recent[1], a);
    EXPECT_EQ(wnd_.InitDir, Dir("music") + "/");

    // Cancel changes nothing; the command works again afterwards.
    driver = ModalDriver::For<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(commands.RunOpenFile(), Outcome::Cancelled);
    EXPECT_EQ(wnd_.Count(), 3);
    EXPECT_EQ(wnd_.Recent[0], m3u);
}

// ------------------------------------------------------------- the folder browser

TEST_F(OpenDialogsTest, OpenFolderCommandReplacesTheListFromTheChosenFolder) {
    wnd_.OpenChosenFiles({Track("x.mp3")});
    std::string b = Track("music/album/b.mp3");
    std::string a = Track("music/album/a.mp3");
    Text("music/album/notes.txt", "no music");
    wnd_.InitDir = Dir("music") + "/";
    wnd_.Language = 1;
    OpenCommands commands(wnd_);

    auto driver = ModalDriver::For<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8(UiString(1, IDS_CHOOSE_FOLDER_TO_OPEN)));
        EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(d->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_TRUE(d->testOption(QFileDialog::DontUseNativeDialog));
        ASSERT_EQ(d->directory().absolutePath(), Q(Dir("music")));
        EXPECT_TRUE(commands.FileOrFolderDialogOpen());
        auto rescue = ModalDriver::CloseOthersThan(d);
        EXPECT_EQ(commands.RunOpenFile(), Outcome::Ignored);
        rescue.reset();
        TypeAndAccept(d, "album");
    });
    EXPECT_EQ(commands.RunOpenFolder(), Outcome::Opened);
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(wnd_.InitDir, Dir("music/album") + "/");
    EXPECT_EQ(wnd_.Recent[0], Dir("music/album"));
    EXPECT_EQ(wnd_.Recent[1], Dir("x.mp3"));

    // Accepting at once chooses the folder it opened at; cancel does nothing.
    driver =
        ModalDriver::For<QFileDialog>([](QFileDialog* d) { static_cast<QDialog*>(d)->accept(); });
    EXPECT_EQ(ChooseFolderToOpen(nullptr, wnd_), Dir("music/album"));
    driver = ModalDriver::For<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_EQ(commands.RunOpenFolder(), Outcome::Cancelled);
    EXPECT_EQ(wnd_.Count(), 2);
    EXPECT_EQ(wnd_.Recent[0], Dir("music/album"));
}

// ------------------------------------------------------------- the address dialog

TEST_F(OpenDialogsTest, AddressDialogOpensTheAddressWithSpacesEscaped) {
    OpenCommands commands(wnd_);
    auto driver = ModalDriver::For<OpenAddressDialog>([&](OpenAddressDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Åbn URL");
        auto* prompt = FindControl<QLabel>(d, IDC_URL_PROMPT);
        auto* edit = FindControl<QLineEdit>(d, IDC_URL_ADDRESS);
        auto* ok = FindControl<QPushButton>(d, IDOK);
        ASSERT_TRUE(prompt && edit && ok);
        EXPECT_EQ(prompt->text(), QString::fromUtf8(UiDialogText(0, IDD_OPEN_URL, IDC_URL_PROMPT)));
        EXPECT_EQ(edit->property("ctlId").toInt(), IDC_URL_ADDRESS);
        EXPECT_TRUE(commands.AddressDialogOpen());
        EXPECT_FALSE(commands.FileOrFolderDialogOpen());
        auto rescue = ModalDriver::CloseOthersThan(d);
        EXPECT_EQ(commands.RunOpenAddress(), Outcome::Ignored);
        EXPECT_FALSE(rescue->Ran());
        rescue.reset();
        QTest::keyClicks(edit, " http://127.0.0.1:9/My Song Two.mp3 ");
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    EXPECT_EQ(commands.RunOpenAddress(), Outcome::Opened);
    EXPECT_TRUE(driver->Ran());
    EXPECT_FALSE(commands.AddressDialogOpen());
    EXPECT_EQ(Paths(), std::vector<std::string>{"http://127.0.0.1:9/My%20Song%20Two.mp3"});
    EXPECT_EQ(wnd_.Title(), "My Song Two");
    EXPECT_EQ(wnd_.Recent[0], "http://127.0.0.1:9/My%20Song%20Two.mp3");
    EXPECT_EQ(wnd_.Recent[1], "");
}

TEST_F(OpenDialogsTest, AddressDialogCancelledOrEmptyChangesNothing) {
    wnd_.OpenChosenFiles({Track("x.mp3")});
    wnd_.Language = 1;
    OpenCommands commands(wnd_);
    auto driver = ModalDriver::For<OpenAddressDialog>([&](OpenAddressDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Открыть URL");
        auto* cancel = FindControl<QPushButton>(d, IDCANCEL);
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), "Отмена");
        QTest::keyClicks(FindControl<QLineEdit>(d, IDC_URL_ADDRESS), "http://host/a.mp3");
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    EXPECT_EQ(commands.RunOpenAddress(), Outcome::Cancelled);
    EXPECT_TRUE(driver->Ran());

    driver = ModalDriver::For<OpenAddressDialog>([&](OpenAddressDialog* d) {
        QTest::keyClicks(FindControl<QLineEdit>(d, IDC_URL_ADDRESS), "   ");
        QTest::mouseClick(FindControl<QPushButton>(d, IDOK), Qt::LeftButton);
    });
    EXPECT_EQ(commands.RunOpenAddress(), Outcome::Cancelled);
    EXPECT_EQ(Paths(), std::vector<std::string>{Dir("x.mp3")});
    EXPECT_EQ(wnd_.Recent[0], Dir("x.mp3"));
    EXPECT_EQ(wnd_.Recent[1], "");
}

} // namespace
} // namespace zeb
