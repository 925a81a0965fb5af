#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/program_folder.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

std::string MakeTempFolder()
{
    std::string folder = (fs::temp_directory_path() / "tavrin-folder-XXXXXX").string();
    EXPECT_NE(mkdtemp(folder.data()), nullptr);
    return folder;
}

TEST(CommonProgramFolder, IsTheWritableExecutableFolderUnlessOverridden)
{
    EXPECT_EQ(ProgramFolder(), fs::read_symlink("/proc/self/exe").parent_path().string());
    SetProgramFolderOverride("/some/where//");
    EXPECT_EQ(ProgramFolder(), "/some/where");
    SetProgramFolderOverride("");
    EXPECT_EQ(ProgramFolder(), fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST(CommonProgramFolder, UserDataFolderFollowsXdgAndIsCreated)
{
    std::string base = MakeTempFolder();
    setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    EXPECT_EQ(UserDataFolder(), base + "/data/TavrinRemote");
    EXPECT_TRUE(fs::is_directory(base + "/data/TavrinRemote"));

    // A relative XDG_DATA_HOME is to be ignored.
    setenv("XDG_DATA_HOME", "relative", 1);
    setenv("HOME", base.c_str(), 1);
    EXPECT_EQ(UserDataFolder(), base + "/.local/share/TavrinRemote");
    EXPECT_TRUE(fs::is_directory(base + "/.local/share/TavrinRemote"));
    fs::remove_all(base);
}

TEST(CommonProgramFolder, JoinPathAddsOneSlash)
{
    EXPECT_EQ(JoinPath("/a", "Tavrin.Log"), "/a/Tavrin.Log");
    EXPECT_EQ(JoinPath("/a/", "Tavrin.Log"), "/a/Tavrin.Log");
    EXPECT_EQ(JoinPath("/", "x"), "/x");
    EXPECT_EQ(JoinPath("", "x"), "x");
}

}  // namespace
}  // namespace tavrin
