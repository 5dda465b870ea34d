#include "base/versionedsave.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "file_test_support.h"

namespace kelm {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

TEST(VersionedSave, TheResultSaysWhetherAndWhyTheOldFileWasKept) {
    TempFolder folder;
    const std::string path = folder / "Kelm-dynamics.json";
    struct Case {
        const char* what;
        bool complete;
        bool changedOnDisk;
        BackupReason reason;
    };
    const Case cases[] = {
        {"as loaded", true, false, BackupReason::None},
        {"load incomplete", false, false, BackupReason::IncompleteLoad},
        {"changed on disk", true, true, BackupReason::ChangedOnDisk},
        {"both", false, true, BackupReason::ChangedOnDisk},
    };
    for (const Case& c : cases) {
        WriteBytes(path, "loaded");
        NoteFileLoad(path, FileVersion::Of(std::string_view("loaded")), c.complete);
        if (c.changedOnDisk) WriteBytes(path, "theirs");
        const VersionedSaveResult saved = SaveVersionedFile(path, "ours");
        EXPECT_EQ(saved.error, 0) << c.what;
        EXPECT_EQ(saved.backupReason, c.reason) << c.what;
        EXPECT_EQ(ReadBytes(path), "ours") << c.what;
        if (c.reason == BackupReason::None) {
            EXPECT_EQ(saved.backup, "") << c.what;
            EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm-dynamics.json"}) << c.what;
        } else {
            EXPECT_EQ(saved.backup, path + ".bak") << c.what;
            EXPECT_EQ(ReadBytes(path + ".bak"), c.changedOnDisk ? "theirs" : "loaded") << c.what;
        }
        std::filesystem::remove(path + ".bak");
    }
}

TEST(VersionedSave, ABackupNotSeenYetIsNumberedUpInsteadOfReplaced) {
    TempFolder folder;
    const std::string path = folder / "Kelm.dat";
    WriteBytes(path, "loaded");
    WriteBytes(path + ".bak", "there at the load");  // the user has had it to look at
    NoteFileLoad(path, FileVersion::Of(std::string_view("loaded")), true);
    // Another program writes the file before each of our saves.
    for (int i = 1; i <= 5; ++i) {
        WriteBytes(path, "theirs " + std::to_string(i));
        const VersionedSaveResult saved = SaveVersionedFile(path, "ours " + std::to_string(i));
        ASSERT_EQ(saved.error, 0);
        EXPECT_EQ(saved.backup, path + ".bak");
    }
    EXPECT_EQ(ReadBytes(path + ".bak"), "theirs 5");
    EXPECT_EQ(ReadBytes(BackupPath(path, 1)), "theirs 4");
    EXPECT_EQ(ReadBytes(BackupPath(path, 2)), "theirs 3");
    EXPECT_EQ(ReadBytes(BackupPath(path, kNumberedBackups)), "theirs 2");
    EXPECT_EQ(folder.Names(),
              (std::vector<std::string>{"Kelm.dat", "Kelm.dat.1.bak", "Kelm.dat.2.bak",
                                        "Kelm.dat.3.bak", "Kelm.dat.bak"}));

    // After the next load they count as seen: the newest is replaced, the others stay.
    NoteFileLoad(path, FileVersion::Of(std::string_view("ours 5")), true);
    WriteBytes(path, "theirs 6");
    EXPECT_EQ(SaveVersionedFile(path, "ours 6").backup, path + ".bak");
    EXPECT_EQ(ReadBytes(path + ".bak"), "theirs 6");
    EXPECT_EQ(ReadBytes(BackupPath(path, 1)), "theirs 4");
    EXPECT_EQ(folder.Names().size(), 5u);
}

TEST(VersionedSave, ASaveWaitsWhileAnotherHoldsTheFoldersLockAndLosesNothing) {
    using namespace std::chrono_literals;
    TempFolder folder;
    const std::string path = folder / "Kelm.dat";
    WriteBytes(path, "loaded");
    NoteFileLoad(path, FileVersion::Of(std::string_view("loaded")), true);

    // Another copy of the program in the middle of its save: it holds the lock and writes
    // its version a moment later.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        const int lock = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0) ::_exit(1);
        if (::write(ready[1], "x", 1) != 1) ::_exit(2);
        std::this_thread::sleep_for(300ms);
        WriteBytes(path, "theirs");
        ::_exit(0);  // which releases the lock
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    const VersionedSaveResult saved = SaveVersionedFile(path, "ours");
    int status = 0;
    ASSERT_EQ(::waitpid(other, &status, 0), other);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The save looked at the file only after the other one's: both versions are there.
    EXPECT_EQ(saved.error, 0);
    EXPECT_EQ(saved.backupReason, BackupReason::ChangedOnDisk);
    EXPECT_EQ(ReadBytes(path), "ours");
    EXPECT_EQ(ReadBytes(path + ".bak"), "theirs");
}

}  // namespace
}  // namespace kelm
