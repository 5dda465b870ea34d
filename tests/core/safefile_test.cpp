#include "base/safefile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "base/contenthash.h"
#include "file_test_support.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr fs::perms kRwR = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;

TEST(ReplaceFile, NewAndOldFilesGetTheContentAndTheOldFileKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder / "a.txt";
    EXPECT_EQ(ReplaceFile(path, "first\r\n"), 0);
    EXPECT_EQ(ReadBytes(path), "first\r\n");

    fs::permissions(path, kRwR);
    EXPECT_EQ(ReplaceFile(path, "second"), 0);
    EXPECT_EQ(ReadBytes(path), "second");
    EXPECT_EQ(fs::status(path).permissions(), kRwR);
    EXPECT_EQ(ReplaceFile(path, ""), 0);
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
}

TEST(ReplaceFile, TheOwnerStaysWhenRootReplacesAnotherUsersFile) {
    // Only root may give a file to someone else, so only root can lose the owner this way.
    if (::geteuid() != 0) GTEST_SKIP() << "only root replaces files it does not own";
    TempFolder folder;
    const std::string path = folder / "user.ini";
    WriteBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    fs::permissions(path, kRwR);
    EXPECT_EQ(ReplaceFile(path, "new"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(ReplaceFile, ALinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    TempFolder folder;
    fs::create_directory(folder / "real");
    WriteBytes(folder / "real/a.txt", "old");
    fs::create_symlink("real/a.txt", folder / "link");      // relative to the link's folder
    fs::create_symlink(folder / "link", folder / "link2");  // a chain of links
    EXPECT_EQ(ReplaceFile(folder / "link2", "new"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "link"));
    EXPECT_TRUE(fs::is_symlink(folder / "link2"));
    EXPECT_EQ(ReadBytes(folder / "real/a.txt"), "new");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"link", "link2", "real"}));

    // A link that leads nowhere yet: the file is made where it leads.
    fs::create_symlink("real/b.txt", folder / "dangling");
    EXPECT_EQ(ReplaceFile(folder / "dangling", "made"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "dangling"));
    EXPECT_EQ(ReadBytes(folder / "real/b.txt"), "made");

    // A loop of links is no file to write.
    fs::create_symlink("loop2", folder / "loop1");
    fs::create_symlink("loop1", folder / "loop2");
    EXPECT_NE(ReplaceFile(folder / "loop1", "x"), 0);
    EXPECT_TRUE(fs::is_symlink(folder / "loop1"));
}

// Root may write anything, so the mode itself says read-only; this runs as root in CI.
TEST(ReplaceFile, AFileWithoutAnyWriteBitIsRefusedAndLeftAsItIs) {
    TempFolder folder;
    const std::string path = folder / "ro.txt";
    WriteBytes(path, "keep me");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(ReplaceFile(path, "lost"), EACCES);
    EXPECT_EQ(ReadBytes(path), "keep me");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"ro.txt"});

    // Through a link the file it leads to is judged.
    fs::create_symlink(path, folder / "link");
    EXPECT_EQ(ReplaceFile(folder / "link", "lost"), EACCES);
    EXPECT_EQ(ReadBytes(path), "keep me");

    // One write bit anywhere is not read-only: the system's own check decides then.
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReplaceFile(path, "written"), 0);
    EXPECT_EQ(ReadBytes(path), "written");
}

TEST(ReplaceFile, OnlyARegularFileIsReplaced) {
    TempFolder folder;
    fs::create_directories(folder / "dir/inside");
    EXPECT_EQ(ReplaceFile(folder / "dir", "x"), EISDIR);
    EXPECT_TRUE(fs::is_directory(folder / "dir/inside"));
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0666), 0);
    EXPECT_EQ(ReplaceFile(folder / "fifo", "x"), EINVAL);
    EXPECT_TRUE(fs::is_fifo(folder / "fifo"));
    EXPECT_EQ(ReplaceFile(folder / "missing/a.txt", "x"), ENOENT);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"dir", "fifo"}));
}

TEST(ReplaceFile, AFailedWriteOrAnUncommittedReplacementLeavesTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder / "a.txt";
    WriteBytes(path, "old");
    // The file size limit binds root too, as a full disk would.
    const int result = testing::RunWithFileSizeLimit(
        1000, [&] { return ReplaceFile(path, std::string(5000, 'n')) == EFBIG ? 0 : 1; });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});

    {
        FileReplacement replacement(path, "new");
        EXPECT_EQ(replacement.Error(), 0);
        EXPECT_EQ(replacement.Target(), path);
        EXPECT_EQ(folder.Names().size(), 2u);  // the new content waits beside the old
        EXPECT_EQ(ReadBytes(path), "old");
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
}

TEST(KeepCopy, TheCopyHoldsTheFileAndReplacesAnOlderCopyOnlyWhenComplete) {
    TempFolder folder;
    const std::string file = folder / "a.dat";
    const std::string copy = folder / "a.dat.bak";
    WriteBytes(file, "version 1");
    WriteBytes(copy, "older");
    EXPECT_EQ(KeepCopy(file, copy), 0);
    EXPECT_EQ(ReadBytes(copy), "version 1");
    // The copy does not follow later replacements of the file (a hard link would, were the
    // file written in place).
    EXPECT_EQ(ReplaceFile(file, "version 2"), 0);
    EXPECT_EQ(ReadBytes(copy), "version 1");

    EXPECT_EQ(KeepCopy(folder / "missing", copy), ENOENT);
    EXPECT_EQ(ReadBytes(copy), "version 1");
    fs::remove(copy);
    fs::create_directories(copy + "/full");  // a folder in the copy's place
    EXPECT_NE(KeepCopy(file, copy), 0);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.dat", "a.dat.bak"}));
}

TEST(ContentHash, TheSameBytesGiveTheSameValueHoweverTheyAreSplit) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7 + i / 13);
    ContentHash whole;
    whole.Add(bytes);
    for (std::size_t step : {1u, 3u, 7u, 8u, 9u, 64u, 999u}) {
        ContentHash pieces;
        for (std::size_t at = 0; at < bytes.size(); at += step) {
            pieces.Add(std::string_view(bytes).substr(at, step));
        }
        EXPECT_EQ(pieces.Value(), whole.Value()) << step;
        EXPECT_EQ(pieces.Size(), bytes.size());
    }
    // Any change tells: one bit, a zero byte more, two bytes swapped, the empty text.
    const auto value = [](std::string_view b) { return FileVersion::Of(b).hash; };
    std::string flipped = bytes;
    flipped[500] ^= 1;
    EXPECT_NE(value(flipped), value(bytes));
    EXPECT_NE(value(bytes + '\0'), value(bytes));
    EXPECT_NE(value(std::string(8, '\0')), value(std::string(7, '\0')));
    std::string swapped = bytes;
    std::swap(swapped[10], swapped[11]);
    EXPECT_NE(value(swapped), value(bytes));
    EXPECT_NE(value("Riads\r\n"), value(""));
}

TEST(ContentHash, AFileVersionIsItsBytesOrMissingOrUnknown) {
    TempFolder folder;
    const std::string path = folder / "a.dat";
    EXPECT_EQ(ReadFileVersion(path), FileVersion::Missing());
    const std::string bytes(200000, 'x');  // more than one read
    WriteBytes(path, bytes);
    EXPECT_EQ(ReadFileVersion(path), FileVersion::Of(bytes));
    EXPECT_EQ(ReadFileVersion(path)->size, bytes.size());
    EXPECT_NE(ReadFileVersion(path), FileVersion::Of(bytes + "x"));
    fs::create_directory(folder / "dir");
    EXPECT_EQ(ReadFileVersion(folder / "dir"), std::nullopt);
}

}  // namespace
}  // namespace kelm
