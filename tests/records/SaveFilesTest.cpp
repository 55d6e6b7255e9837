// Saving the table and the options as a pair: whatever step of a save fails, or wherever the
// game is killed, the next start finds the old table or the new one, never the default list.
#include "SaveDir.h"
#include "support/Harness.h"

#include "records/HighScores.h"
#include "records/Options.h"
#include "records/SaveFileSystem.h"
#include "records/SaveFiles.h"

#include <cerrno>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Passes every call on to the real file system and logs it ("rename hs.tmp", paths shown without
// "Data/Save/"). The chosen step goes wrong: a failure returns an error once (a write first puts
// half of its bytes on disk), a crash also makes every later step do nothing, as when the game
// is killed there.
class TFaultyDisk final : public TSaveFileSystem {
  public:
    enum class EFault { Fail, Crash };
    TFaultyDisk(size_t step, EFault fault) : FaultStep(step), Fault(fault) { SetSaveFileSystem(this); }
    TFaultyDisk() : TFaultyDisk(0, EFault::Fail) {}
    ~TFaultyDisk() override { SetSaveFileSystem(nullptr); }

    std::vector<std::string> Log;

    std::FILE* Open(const std::string& path) override {
        if (!Step("open", path)) return nullptr;
        std::FILE* f = Real().Open(path);
        if (f) Names[f] = path;
        return f;
    }
    bool Write(std::FILE* file, const std::string& bytes) override {
        if (!Step("write", Names[file])) {
            if (!Dead || JustFailed) Real().Write(file, bytes.substr(0, bytes.size() / 2));
            return false;
        }
        return Real().Write(file, bytes);
    }
    bool Flush(std::FILE* file) override { return Step("flush", Names[file]) && Real().Flush(file); }
    bool Close(std::FILE* file) override {
        bool ok = Step("close", Names[file]);
        // The handle goes either way: a killed process loses its handles too.
        Real().Close(file);
        Names.erase(file);
        return ok;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return Step("rename", from + " " + to) && Real().Rename(from, to);
    }
    bool Remove(const std::string& path) override { return Step("remove", path) && Real().Remove(path); }

  private:
    static TSaveFileSystem& Real() { return RealSaveFileSystem(); }
    static std::string Short(std::string path) {
        for (std::string prefix = "Data/Save/"; path.find(prefix) != std::string::npos;)
            path.erase(path.find(prefix), prefix.size());
        return path;
    }
    bool Step(const std::string& what, const std::string& path) {
        Log.push_back(what + " " + Short(path));
        JustFailed = Log.size() == FaultStep;
        if (JustFailed && Fault == EFault::Crash) Dead = true;
        if (JustFailed || Dead) {
            errno = ENOSPC;
            return false;
        }
        return true;
    }

    size_t FaultStep;
    EFault Fault;
    bool Dead = false;
    bool JustFailed = false;
    std::map<std::FILE*, std::string> Names;
};

// A fresh start of the game: nothing of the last run is left in memory.
void StartUp() {
    HighScores = {};
    HighScoreCheck.clear();
    Options = TGameOptions{};
    LoadOptionsAndHighScores();
}

bool TableHolds(const std::string& name, int32_t score) {
    for (int r = 1; r <= 10; ++r)
        if (HighScores[r].Name == name && HighScores[r].Score == score) return true;
    return false;
}

bool IsDefaultTable() {
    for (int r = 1; r <= 10; ++r)
        if (!(HighScores[r] == THighScore{"ANONYMOUS", (11 - r) * 500, 0, 0})) return false;
    return true;
}

std::set<std::string> SaveFolder() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator("Data/Save"))
        names.insert(entry.path().filename().string());
    return names;
}

class SaveFilesTest : public SaveDirTest {
  protected:
    // The first session: ALICE 4900 saved cleanly, with full screen on so the options show too.
    void SaveAlice() {
        StartUp();
        InsertHighScore("ALICE", 4900);
        Options.FullScreen = 1;
        ASSERT_TRUE(SaveOptionsAndHighScores());
        OldTable = ReadFile("Data/Save/hs");
        OldOptions = ReadFile("Data/Save/options");
    }
    // The second session starts from ALICE's pair and adds BOB.
    void AddBob() {
        StartUp();
        ASSERT_TRUE(TableHolds("ALICE", 4900));
        InsertHighScore("BOB", 4700);
    }
    std::string OldTable, OldOptions;
};

enum class ETable { Old, New };

// Every step of a save over a whole pair, in order, and the table the next start finds when that
// step fails and when the game is killed at it. Until the table's rename the old files are
// untouched; the options' rename not happening leaves the new table beside the old check string,
// and the previous pair gives back the old one. Once both renames are done only leftovers remain.
struct TStepCase {
    const char* step;
    ETable afterFailure, afterCrash;
};
const TStepCase kSaveSteps[] = {
    {"open hs.tmp", ETable::Old, ETable::Old},
    {"write hs.tmp", ETable::Old, ETable::Old},
    {"flush hs.tmp", ETable::Old, ETable::Old},
    {"close hs.tmp", ETable::Old, ETable::Old},
    {"open options.tmp", ETable::Old, ETable::Old},
    {"write options.tmp", ETable::Old, ETable::Old},
    {"flush options.tmp", ETable::Old, ETable::Old},
    {"close options.tmp", ETable::Old, ETable::Old},
    {"open hs.previous.tmp", ETable::Old, ETable::Old},
    {"write hs.previous.tmp", ETable::Old, ETable::Old},
    {"flush hs.previous.tmp", ETable::Old, ETable::Old},
    {"close hs.previous.tmp", ETable::Old, ETable::Old},
    {"rename hs.previous.tmp hs.previous", ETable::Old, ETable::Old},
    {"open options.previous.tmp", ETable::Old, ETable::Old},
    {"write options.previous.tmp", ETable::Old, ETable::Old},
    {"flush options.previous.tmp", ETable::Old, ETable::Old},
    {"close options.previous.tmp", ETable::Old, ETable::Old},
    {"rename options.previous.tmp options.previous", ETable::Old, ETable::Old},
    {"rename hs.tmp hs", ETable::Old, ETable::Old},
    // Killed here: the table is renamed, the options are not.
    {"rename options.tmp options", ETable::Old, ETable::Old},
    {"remove hs.previous", ETable::New, ETable::New},
    {"remove options.previous", ETable::New, ETable::New},
};

// Row of the table's rename in kSaveSteps.
constexpr size_t kTableRename = 18;

TEST_F(SaveFilesTest, ASaveTakesExactlyTheStepsOfTheFailureTable) {
    SaveAlice();
    AddBob();
    std::vector<std::string> log;
    {
        TFaultyDisk disk;
        ASSERT_TRUE(SaveOptionsAndHighScores());
        log = disk.Log;
    }
    std::vector<std::string> table;
    for (const TStepCase& c : kSaveSteps)
        table.push_back(c.step);
    ASSERT_EQ(table.at(kTableRename), "rename hs.tmp hs");
    EXPECT_EQ(log, table) << "a step of saving has no row in kSaveSteps";
    EXPECT_EQ(SaveFolder(), (std::set<std::string>{"hs", "options"}));
}

TEST_F(SaveFilesTest, AFailedStepLeavesALoadablePairAndNoTemporaryFile) {
    for (size_t i = 0; i < std::size(kSaveSteps); ++i) {
        const TStepCase& c = kSaveSteps[i];
        SCOPED_TRACE(c.step);
        fs::remove_all("Data");
        SaveAlice();
        AddBob();
        bool saved;
        std::string failedStep;
        testing::internal::CaptureStderr();
        {
            TFaultyDisk disk(i + 1, TFaultyDisk::EFault::Fail);
            saved = SaveOptionsAndHighScores();
            if (disk.Log.size() > i) failedStep = disk.Log[i];
        }
        const std::string stderrText = testing::internal::GetCapturedStderr();
        ASSERT_EQ(failedStep, c.step);
        EXPECT_EQ(saved, c.afterFailure == ETable::New);
        if (!saved) {
            EXPECT_NE(stderrText.find("not saved"), std::string::npos) << stderrText;
        }
        for (const std::string& name : SaveFolder())
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << name << " left behind";
        if (i <= kTableRename) { // until the table's rename the old files are untouched, byte for byte
            EXPECT_EQ(ReadFile("Data/Save/hs"), OldTable);
            EXPECT_EQ(ReadFile("Data/Save/options"), OldOptions);
        }

        testing::internal::CaptureStderr();
        StartUp();
        testing::internal::GetCapturedStderr();
        EXPECT_TRUE(TableHolds("ALICE", 4900));
        EXPECT_EQ(TableHolds("BOB", 4700), c.afterFailure == ETable::New);
        EXPECT_EQ(Options.FullScreen, 1);
    }
}

TEST_F(SaveFilesTest, AGameKilledAtAnyStepOfASaveStartsWithTheOldOrTheNewTable) {
    for (size_t i = 0; i < std::size(kSaveSteps); ++i) {
        const TStepCase& c = kSaveSteps[i];
        SCOPED_TRACE(c.step);
        fs::remove_all("Data");
        SaveAlice();
        AddBob();
        {
            TFaultyDisk disk(i + 1, TFaultyDisk::EFault::Crash);
            testing::internal::CaptureStderr();
            SaveOptionsAndHighScores();
            testing::internal::GetCapturedStderr();
        }
        testing::internal::CaptureStderr();
        StartUp();
        const std::string stderrText = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(IsDefaultTable());
        EXPECT_TRUE(TableHolds("ALICE", 4900));
        EXPECT_EQ(TableHolds("BOB", 4700), c.afterCrash == ETable::New);
        if (std::string(c.step) == "rename options.tmp options") {
            EXPECT_NE(stderrText.find("hs.previous"), std::string::npos) << stderrText;
        }

        // The next clean save clears whatever the killed one left behind.
        InsertHighScore("CAROL", 4600);
        ASSERT_TRUE(SaveOptionsAndHighScores());
        EXPECT_EQ(SaveFolder(), (std::set<std::string>{"hs", "options"}));
        StartUp();
        EXPECT_TRUE(TableHolds("CAROL", 4600));
    }
}

TEST_F(SaveFilesTest, TwoInterruptedSavesInARowStillFindTheLastWholePair) {
    SaveAlice();
    AddBob();
    const size_t optionsRename = 20;
    ASSERT_EQ(std::string(kSaveSteps[optionsRename - 1].step), "rename options.tmp options");
    std::string stoppedAt;
    testing::internal::CaptureStderr();
    {
        TFaultyDisk disk(optionsRename, TFaultyDisk::EFault::Crash);
        SaveOptionsAndHighScores();
    }
    // The second session runs on ALICE's table again; its save stops at the same place. The pair
    // on disk does not match, so it must not replace the previous pair.
    StartUp();
    const bool bobBack = TableHolds("BOB", 4700);
    InsertHighScore("CAROL", 4600);
    {
        // Two temporary files of four steps each, then the two renames: no previous copy now.
        TFaultyDisk disk(10, TFaultyDisk::EFault::Crash);
        SaveOptionsAndHighScores();
        if (disk.Log.size() >= 10) stoppedAt = disk.Log[9];
    }
    StartUp();
    testing::internal::GetCapturedStderr();
    ASSERT_FALSE(bobBack);
    ASSERT_EQ(stoppedAt, "rename options.tmp options");
    EXPECT_TRUE(TableHolds("ALICE", 4900));
    EXPECT_FALSE(IsDefaultTable());
}

TEST_F(SaveFilesTest, TheGameStartsWithTheTableAKilledSaveWasReplacing) {
    SaveAlice();
    AddBob();
    testing::internal::CaptureStderr();
    {
        TFaultyDisk disk(20, TFaultyDisk::EFault::Crash); // killed between the two renames
        SaveOptionsAndHighScores();
    }
    HarnessOptions options;
    for (const auto& entry : fs::directory_iterator("Data/Save"))
        options.Saves[entry.path().filename().string()] = ReadFile(entry.path().string());
    HighScores = {};
    {
        GameHarness game(options);
        EXPECT_TRUE(TableHolds("ALICE", 4900));
        EXPECT_FALSE(TableHolds("BOB", 4700));
        EXPECT_EQ(Options.FullScreen, 1);
    }
    testing::internal::GetCapturedStderr();
}

TEST_F(SaveFilesTest, AFolderInTheWayOfTheOptionsKeepsTheWholeOldPair) {
    SaveAlice();
    AddBob();
    fs::create_directories("Data/Save/options.tmp");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveOptionsAndHighScores());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("options.tmp"), std::string::npos);
    EXPECT_EQ(ReadFile("Data/Save/hs"), OldTable);
    EXPECT_FALSE(fs::exists("Data/Save/hs.tmp"));
    EXPECT_TRUE(fs::is_directory("Data/Save/options.tmp"));

    // The third start shows ALICE, not the default list.
    StartUp();
    EXPECT_TRUE(TableHolds("ALICE", 4900));
    EXPECT_FALSE(TableHolds("BOB", 4700));
}

TEST_F(SaveFilesTest, ADamagedFileIsKeptAsideBeforeItIsReplacedAndNeverOverwritesAnEarlierOne) {
    struct Case {
        const char* file;
        std::string damaged;
    };
    const Case cases[] = {
        {"hs", "BOB\r\n700\r\n1\r\n2\r\nEVE\r\nlots\r\n0\r\n0\r\n"},
        {"options", "1\r\nloud\r\n1\r\n_______\r\n#\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove_all("Data");
        const std::string path = std::string("Data/Save/") + c.file;
        for (const char* aside : {".damaged", ".damaged.2", ".damaged.3"}) {
            WriteFile(path, c.damaged + aside); // each damaged file a little different
            testing::internal::CaptureStderr();
            StartUp();
            const bool saved = SaveOptionsAndHighScores();
            const std::string said = testing::internal::GetCapturedStderr();
            EXPECT_TRUE(saved);
            EXPECT_NE(said.find(path + aside), std::string::npos) << said;
        }
        // Every damaged version is still there, byte for byte, and the new file reads cleanly.
        for (const char* aside : {".damaged", ".damaged.2", ".damaged.3"})
            EXPECT_EQ(ReadFile(path + aside), c.damaged + aside);
        testing::internal::CaptureStderr();
        StartUp();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST_F(SaveFilesTest, ADamagedFlagLineLosesOnlyThatFlag) {
    // Written as 1 / 0 / 0 / "Crew" with ALICE's table; one line at a time is spoiled. A damaged
    // flag takes its default (full screen off, music and sound on); the rest keeps what was saved.
    struct Case {
        int line;
        uint8_t full, music, sound;
    };
    const Case cases[] = {{1, 0, 0, 0}, {2, 1, 1, 0}, {3, 1, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        fs::remove_all("Data");
        StartUp();
        InsertHighScore("ALICE", 4900);
        Options = TGameOptions{1, 0, 0, "Crew"};
        ASSERT_TRUE(SaveOptionsAndHighScores());

        std::string options = ReadFile("Data/Save/options");
        size_t at = 0;
        for (int l = 1; l < c.line; ++l)
            at = options.find("\r\n", at) + 2;
        options.replace(at, 1, "x");
        WriteFile("Data/Save/options", options);

        testing::internal::CaptureStderr();
        StartUp();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("line " + std::to_string(c.line)), std::string::npos) << said;
        EXPECT_EQ(Options, (TGameOptions{c.full, c.music, c.sound, "Crew"}));
        EXPECT_TRUE(TableHolds("ALICE", 4900));
    }
}

} // namespace
