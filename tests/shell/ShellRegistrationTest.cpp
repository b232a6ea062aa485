// The desktop registration in a private home: written, read back by the real
// GIO tools, opening files through the desktop's default, and removed again
// without touching other programs' associations.
#include "shell/ShellRegistration.h"

#include "support/TempDir.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zeb {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs a command line through the shell; its standard output.
std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        while (size_t n = std::fread(buf, 1, sizeof buf, pipe))
            out.append(buf, n);
        ::pclose(pipe);
    }
    return out;
}

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string DefaultFor(const std::string& mimeType) {
    const std::string out = Output("gio mime " + mimeType);
    const size_t colon = out.find(": ");
    return colon == std::string::npos ? std::string()
                                      : out.substr(colon + 2, out.find('\n') - colon - 2);
}

constexpr ShellRegistrationState kEverything{true, true, true, true, true, true};

class ShellRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("HOME", dir_.File("home").c_str(), 1);
        ::setenv("XDG_DATA_HOME", dir_.File("home/data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", dir_.File("home/config").c_str(), 1);
        ::setenv("RECORD", record_.c_str(), 1);
        // The GIO tools in English, on local files only, whatever the desktop.
        ::setenv("LC_ALL", "C", 1);
        ::setenv("GIO_USE_VFS", "local", 1);
        fs::create_directories(dir_.File("home/config"));
        // A stand-in for the program that notes its arguments, in a folder
        // whose name needs quoting and escaping on a command line.
        fs::create_directories(fs::path(program_).parent_path());
        test::WriteFile(program_, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$RECORD.tmp\"\n"
                                  "mv \"$RECORD.tmp\" \"$RECORD\"\n");
        ::chmod(program_.c_str(), 0755);
    }

    // Opens the file as a desktop would on a double click; what the program
    // was started with.
    std::string OpenAndRecord(const std::string& file) {
        fs::remove(record_);
        Output("gio open " + Quoted(file));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(record_) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return ReadText(record_);
    }

    test::TempDir dir_;
    const std::string program_ = dir_.File("my $apps/\"zeb\" player");
    const std::string record_ = dir_.File("arguments");
    const XdgUserFolders folders_{dir_.File("home/data"), dir_.File("home/config")};
};

TEST_F(ShellRegistrationTest, RegistersReadsBackAndRemovesOnlyItsOwn) {
    // The folders as the program finds them, from the environment.
    const ShellRegistration registration(XdgUserFolders::FromEnvironment(), program_);
    ASSERT_EQ(registration.MimeAppsPath(), folders_.configHome + "/mimeapps.list");
    const std::string theirs = "# chosen by hand\n"
                               "[Default Applications]\n"
                               "audio/mpeg=other-player.desktop;\n"
                               "image/png=viewer.desktop;\n"
                               "this line means nothing\n"
                               "\n"
                               "[Added Associations]\n"
                               "audio/mpeg=other-player.desktop;\n"
                               "inode/directory=files.desktop;\n";
    test::WriteFile(registration.MimeAppsPath(), theirs);
    EXPECT_EQ(registration.Read(), ShellRegistrationState{});

    ASSERT_TRUE(registration.Write(kEverything));
    EXPECT_EQ(registration.Read(), kEverything);
    EXPECT_EQ(DefaultFor("audio/mpeg"), "zeb-files.desktop");
    EXPECT_EQ(DefaultFor("audio/x-mpegurl"), "zeb-files.desktop");
    EXPECT_EQ(DefaultFor("audio/x-scpls"), "zeb-files.desktop");
    EXPECT_EQ(DefaultFor("audio/wav"), "zeb-files.desktop"); // an alias of the registered type
    EXPECT_EQ(DefaultFor("x-content/audio-cdda"), "zeb-audio-cd.desktop");
    const std::string folderApps = Output("gio mime inode/directory");
    EXPECT_NE(folderApps.find("zeb-folder-play.desktop"), std::string::npos) << folderApps;
    EXPECT_NE(folderApps.find("zeb-folder-add.desktop"), std::string::npos) << folderApps;
    const std::string ours = ReadText(registration.MimeAppsPath());
    EXPECT_NE(ours.find("# chosen by hand\n"), std::string::npos);
    EXPECT_NE(ours.find("this line means nothing\n"), std::string::npos);
    EXPECT_NE(ours.find("image/png=viewer.desktop;\n"), std::string::npos);
    EXPECT_NE(ours.find("audio/mpeg=zeb-files.desktop;other-player.desktop;\n"), std::string::npos);
    EXPECT_NE(ours.find("inode/directory=files.desktop;"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(registration.ApplicationsFolder())) {
        if (entry.path().extension() == ".desktop") {
            EXPECT_EQ(Output("desktop-file-validate " + Quoted(entry.path()) + " 2>&1; echo $?"),
                      "0\n")
                << entry.path();
        }
    }

    // KDE's file manager trusts only an executable service menu.
    EXPECT_EQ(::access(registration.ServiceMenuPath().c_str(), X_OK), 0);

    // Writing the same state again changes nothing.
    ASSERT_TRUE(registration.Write(kEverything));
    EXPECT_EQ(ReadText(registration.MimeAppsPath()), ours);

    ASSERT_TRUE(registration.Write({}));
    EXPECT_EQ(registration.Read(), ShellRegistrationState{});
    EXPECT_EQ(ReadText(registration.MimeAppsPath()), theirs);
    for (const auto& entry : fs::directory_iterator(registration.ApplicationsFolder()))
        EXPECT_NE(entry.path().extension(), ".desktop") << entry.path();
    EXPECT_FALSE(fs::exists(registration.ServiceMenuPath()));
    EXPECT_NE(DefaultFor("audio/mpeg"), "zeb-files.desktop");
}

TEST_F(ShellRegistrationTest, OpeningAFileRunsTheChosenVerb) {
    const ShellRegistration registration(folders_, program_);
    const std::string song = dir_.File("a song.mp3");
    fs::copy_file(std::string(ZEB_FIXTURES_DIR) + "/cbr128.mp3", song);
    const std::string list = dir_.File("list.m3u");
    test::WriteFile(list, "#EXTM3U\n" + song + "\n");

    ASSERT_TRUE(registration.Write({.mp3 = true}));
    EXPECT_EQ(OpenAndRecord(song), song + "\n");
    EXPECT_EQ(OpenAndRecord(list), list + "\n");

    ASSERT_TRUE(registration.Write({.mp3 = true, .addDefault = true}));
    EXPECT_EQ(registration.Read(), (ShellRegistrationState{.mp3 = true, .addDefault = true}));
    EXPECT_EQ(OpenAndRecord(song), song + "\n-a\n");
}

TEST_F(ShellRegistrationTest, AMovedProgramReadsUnregisteredUntilWrittenAgain) {
    // Nothing chosen, nothing there: nothing is created.
    ASSERT_TRUE(ShellRegistration(folders_, program_).Write({}));
    EXPECT_FALSE(fs::exists(folders_.dataHome));
    EXPECT_FALSE(fs::exists(folders_.configHome + "/mimeapps.list"));

    ASSERT_TRUE(ShellRegistration(folders_, program_).Write(kEverything));
    const ShellRegistration moved(folders_, dir_.File("elsewhere/zeb"));
    EXPECT_EQ(moved.Read(), ShellRegistrationState{});
    ASSERT_TRUE(moved.Write(kEverything));
    EXPECT_EQ(moved.Read(), kEverything);
    EXPECT_EQ(ShellRegistration(folders_, program_).Read(), ShellRegistrationState{});
}

TEST_F(ShellRegistrationTest, AListThatIsNotWellFormedKeepsItsLines) {
    const ShellRegistration registration(folders_, program_);
    // No groups of ours yet, an odd spelling, no final newline.
    const std::string theirs = "garbage \x01 here\n[Some Group]\naudio/mpeg = old.desktop ; \n=x";
    test::WriteFile(registration.MimeAppsPath(), theirs);
    ASSERT_TRUE(registration.Write({.wav = true, .audioCd = true}));
    EXPECT_EQ(registration.Read(), (ShellRegistrationState{.wav = true, .audioCd = true}));
    EXPECT_EQ(ReadText(registration.MimeAppsPath()).substr(0, theirs.size()), theirs);
    ASSERT_TRUE(registration.Write({}));
    EXPECT_EQ(ReadText(registration.MimeAppsPath()), theirs + "\n");
}

} // namespace
} // namespace zeb
