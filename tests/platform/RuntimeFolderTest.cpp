#include "platform/RuntimeFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(RuntimeFolder, PathFollowsXdgRuntimeDirElseTmpWithUid) {
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1234", 1);
    EXPECT_EQ(RuntimeFolderPath(), "/run/user/1234/zeb/");
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1234/", 1);
    EXPECT_EQ(RuntimeFolderPath(), "/run/user/1234/zeb/");
    std::string fallback = "/tmp/zeb-" + std::to_string(::geteuid()) + "/";
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(RuntimeFolderPath(), fallback);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeFolderPath(), fallback);
}

TEST(RuntimeFolder, CreatedPrivateAndOwnOpenFolderIsNarrowed) {
    test::TempDir dir;
    std::string folder = dir.File("zeb");
    ::umask(022);
    RuntimeFolder made = PrepareRuntimeFolder(folder);
    ASSERT_TRUE(made.Ok()) << made.error;
    EXPECT_EQ(made.path, folder + "/");
    EXPECT_EQ(ModeOf(folder), 0700u);

    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    RuntimeFolder again = PrepareRuntimeFolder(folder + "/");
    ASSERT_TRUE(again.Ok()) << again.error;
    EXPECT_EQ(again.path, folder + "/");
    EXPECT_EQ(ModeOf(folder), 0700u);
}

TEST(RuntimeFolder, RefusesFilesLinksAndMissingParents) {
    test::TempDir dir;
    std::string file = dir.File("zeb");
    test::WriteFile(file, "x");
    RuntimeFolder asFile = PrepareRuntimeFolder(file);
    EXPECT_FALSE(asFile.Ok());
    EXPECT_TRUE(asFile.path.empty());
    EXPECT_EQ(test::ReadFile(file), "x");

    // A planted link to a folder must not redirect the endpoints.
    std::string target = dir.File("elsewhere");
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    std::string link = dir.File("linked");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(PrepareRuntimeFolder(link).Ok());

    EXPECT_FALSE(PrepareRuntimeFolder(dir.File("no/such/parent")).Ok());
}

TEST(RuntimeFolder, RefusesAFolderOwnedByAnotherUser) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a folder to another user";
    test::TempDir dir;
    std::string folder = dir.File("zeb");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    RuntimeFolder result = PrepareRuntimeFolder(folder);
    EXPECT_FALSE(result.Ok());
    EXPECT_NE(result.error.find("another user"), std::string::npos) << result.error;
}

} // namespace
} // namespace zeb
