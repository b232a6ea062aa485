#include "platform/ProgramFiles.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zeb {
namespace {

TEST(WithExtension, ReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(WithExtension("/opt/player/zeb.exe", "ini"), "/opt/player/zeb.ini");
    EXPECT_EQ(WithExtension("/opt/player/zeb.bin.old", "m3u"), "/opt/player/zeb.bin.m3u");
    // Linux programs have no extension: the new one is appended, so the
    // settings never overwrite the program file itself.
    EXPECT_EQ(WithExtension("/opt/player/zeb", "ini"), "/opt/player/zeb.ini");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(WithExtension("/home/a.b/zeb", "tgs"), "/home/a.b/zeb.tgs");
    EXPECT_EQ(WithExtension("/home/a/.zeb", "ini"), "/home/a/.zeb.ini");
    EXPECT_EQ(WithExtension("zeb", "ini"), "zeb.ini");
}

TEST(LocateProgramFiles, FilesLieBesideTheProgramAndFollowItsName) {
    auto writable = [](const std::string&) { return true; };
    ProgramFiles files = LocateProgramFiles("/opt/p/zeb", writable, "/cfg/zeb/");
    EXPECT_EQ(files.folder, "/opt/p/");
    EXPECT_EQ(files.iniPath, "/opt/p/zeb.ini");
    EXPECT_EQ(files.userListPath, "/opt/p/zeb.m3u");
    EXPECT_EQ(files.infoCachePath, "/opt/p/zeb.tgs");

    ProgramFiles renamed = LocateProgramFiles("/opt/p/tunes", writable, "/cfg/zeb/");
    EXPECT_EQ(renamed.iniPath, "/opt/p/tunes.ini");
    EXPECT_EQ(renamed.userListPath, "/opt/p/tunes.m3u");
}

TEST(LocateProgramFiles, UnwritableProgramFolderFallsBackToTheConfigFolder) {
    std::string asked;
    auto readOnly = [&](const std::string& folder) {
        asked = folder;
        return false;
    };
    ProgramFiles files = LocateProgramFiles("/usr/bin/zeb", readOnly, "/home/u/.config/zeb/");
    EXPECT_EQ(asked, "/usr/bin/");
    EXPECT_EQ(files.folder, "/home/u/.config/zeb/");
    EXPECT_EQ(files.iniPath, "/home/u/.config/zeb/zeb.ini");
    EXPECT_EQ(files.infoCachePath, "/home/u/.config/zeb/zeb.tgs");
}

TEST(ProgramFolders, ConfigFolderFollowsXdgAndFoldersAreCreated) {
    test::TempDir dir;
    ::setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(UserConfigFolder(), dir.Path().string() + "/zeb/");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1); // not absolute: ignored
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserConfigFolder(), "/home/someone/.config/zeb/");

    std::string nested = dir.File("a/b/c/");
    ASSERT_TRUE(EnsureFolder(nested));
    struct stat st {};
    ASSERT_EQ(::stat(nested.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(IsFolderWritable(nested));
    test::WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(EnsureFolder(dir.File("plain/sub/")));
}

TEST(ProgramFolders, OwnProgramPathIsThisTestBinary) {
    std::string self = OwnProgramPath();
    ASSERT_FALSE(self.empty());
    EXPECT_NE(self.find("platform_test"), std::string::npos);
}

} // namespace
} // namespace zeb
