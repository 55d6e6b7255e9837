// Where the game runs from: the build folder's own data, or an installed copy through a per-user
// folder that keeps the saves; and the window icon read from a PNG.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/DataLocation.h"
#include "platform/HeadlessWindow.h"
#include "platform/Png.h"

namespace fs = std::filesystem;
using platform::ChooseGameFolder;

namespace {

// A scratch tree with an "installed" data folder, a folder to run from and a home.
class DataLocationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = fs::path(SPRAYDASH_BINARY_DIR) / "test-scratch" /
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(root_);
        installed_ = root_ / "usr/share/spraydash";
        for (const char* sub : {"Res", "Music", "Fonts"})
            fs::create_directories(installed_ / "Data" / sub);
        Touch(installed_ / "Data/Res/Res1.dxg");
        cwd_ = root_ / "somewhere";
        fs::create_directories(cwd_);
        user_ = root_ / "home/.local/share/spraydash";
    }
    static void Touch(const fs::path& p) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
    }
    fs::path root_, installed_, cwd_, user_;
};

TEST_F(DataLocationTest, BuildFolderWithItsOwnDataKeepsTheWorkingDirectory) {
    Touch(cwd_ / "Data/Res/Res1.dxg");
    const auto choice = ChooseGameFolder(cwd_, installed_, user_);
    EXPECT_FALSE(choice.Switch);
    EXPECT_TRUE(choice.Error.empty());
    EXPECT_FALSE(fs::exists(user_));
}

TEST_F(DataLocationTest, NoDataAnywhereLeavesTheMissingDataToStartUp) {
    const auto choice = ChooseGameFolder(cwd_, root_ / "not-installed", user_);
    EXPECT_FALSE(choice.Switch);
    EXPECT_TRUE(choice.Error.empty());
    EXPECT_FALSE(fs::exists(user_));
}

TEST_F(DataLocationTest, InstalledCopyRunsInAUserFolderLinkedToTheSharedData) {
    const auto choice = ChooseGameFolder(cwd_, installed_, user_);
    ASSERT_TRUE(choice.Switch) << choice.Error;
    EXPECT_EQ(choice.Folder, user_);
    EXPECT_TRUE(fs::is_directory(user_ / "Data/Save"));
    EXPECT_FALSE(fs::is_symlink(user_ / "Data/Save"));
    for (const char* sub : {"Res", "Music", "Fonts"}) {
        ASSERT_TRUE(fs::is_symlink(user_ / "Data" / sub)) << sub;
        EXPECT_EQ(fs::read_symlink(user_ / "Data" / sub), installed_ / "Data" / sub);
    }
    EXPECT_TRUE(fs::is_regular_file(user_ / "Data/Res/Res1.dxg"));
    // An install without icons links no icon folder.
    EXPECT_FALSE(fs::exists(fs::symlink_status(user_ / "Data/Icon")));
}

// The desktop entry starts the game in the installed folder, where nobody can write saves.
TEST_F(DataLocationTest, StartedInsideTheInstalledFolderStillUsesTheUserFolder) {
    const auto choice = ChooseGameFolder(installed_, installed_, user_);
    EXPECT_TRUE(choice.Switch) << choice.Error;
    EXPECT_EQ(choice.Folder, user_);
}

TEST_F(DataLocationTest, AnotherStartKeepsSavesAndUserFoldersAndMendsStaleLinks) {
    ASSERT_TRUE(ChooseGameFolder(cwd_, installed_, user_).Switch);
    Touch(user_ / "Data/Save/hs");
    // The music link points at an older install; the user replaced the fonts with a real folder.
    fs::remove(user_ / "Data/Music");
    fs::create_directory_symlink(root_ / "old/Music", user_ / "Data/Music");
    fs::remove(user_ / "Data/Fonts");
    fs::create_directories(user_ / "Data/Fonts");
    Touch(user_ / "Data/Fonts/fonts.conf");

    const auto choice = ChooseGameFolder(cwd_, installed_, user_);
    ASSERT_TRUE(choice.Switch) << choice.Error;
    EXPECT_TRUE(fs::is_regular_file(user_ / "Data/Save/hs"));
    EXPECT_EQ(fs::read_symlink(user_ / "Data/Music"), installed_ / "Data/Music");
    EXPECT_FALSE(fs::is_symlink(user_ / "Data/Fonts"));
    EXPECT_TRUE(fs::is_regular_file(user_ / "Data/Fonts/fonts.conf"));
}

TEST_F(DataLocationTest, UserFolderThatCannotBeMadeIsReportedAndNotUsed) {
    Touch(root_ / "home-is-a-file");
    const auto noHome = ChooseGameFolder(cwd_, installed_, fs::path());
    EXPECT_FALSE(noHome.Switch);
    EXPECT_FALSE(noHome.Error.empty());
    const auto blocked = ChooseGameFolder(cwd_, installed_, root_ / "home-is-a-file/spraydash");
    EXPECT_FALSE(blocked.Switch);
    EXPECT_NE(blocked.Error.find("home-is-a-file"), std::string::npos) << blocked.Error;
}

TEST(UserGameFolder, FollowsTheDesktopRulesForTheDataHome) {
    struct Case {
        const char* Xdg;
        const char* Home;
        const char* Expected;
    } cases[] = {
        {"/data", "/home/ann", "/data/spraydash"},
        {"", "/home/ann", "/home/ann/.local/share/spraydash"},
        {"relative/dir", "/home/ann", "/home/ann/.local/share/spraydash"}, // a relative value is invalid
        {"", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::UserGameFolder(c.Xdg, c.Home), fs::path(c.Expected)) << c.Xdg << " | " << c.Home;
}

TEST(InstalledDataFolder, IsFoundBesideTheProgramThroughTheInstallLayout) {
    EXPECT_EQ(platform::InstalledDataFolder("/opt/sd/bin", "../share/spraydash"),
              fs::path("/opt/sd/share/spraydash"));
    EXPECT_EQ(platform::InstalledDataFolder("", "../share/spraydash"), fs::path());
}

TEST(WindowIcon, IsSetFromAPngAndSilentlySkippedWhenMissingOrDamaged) {
    const fs::path dir = fs::path(SPRAYDASH_BINARY_DIR) / "test-scratch" / "WindowIcon";
    fs::create_directories(dir);
    platform::RgbaImage icon;
    icon.Width = 16;
    icon.Height = 8;
    icon.Pixels.assign(16 * 8 * 4, 200);
    ASSERT_TRUE(platform::SavePngRgba((dir / "icon.png").string(), icon));
    std::ofstream(dir / "damaged.png") << "not a picture";

    platform::HeadlessWindow window;
    platform::SetWindowIconFromFile(window, (dir / "missing.png").string());
    platform::SetWindowIconFromFile(window, (dir / "damaged.png").string());
    EXPECT_EQ(window.IconWidth(), 0);
    platform::SetWindowIconFromFile(window, (dir / "icon.png").string());
    EXPECT_EQ(window.IconWidth(), 16);
}

} // namespace
