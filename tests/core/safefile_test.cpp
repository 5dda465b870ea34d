#include "base/safefile.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/contenthash.h"
#include "base/posixio.h"
#include "file_test_support.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr fs::perms kRwR = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;

struct stat StatOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("stat " + path);
    return st;
}

// A file owned by another user and shared with the group "users", in a folder that group
// may write, for saves by the user nobody as a member of that group.  Needs root.
struct GroupShared {
    gid_t users = 0;
    uid_t daemon = 0;
    std::string skip;  // why the case cannot be made here

    explicit GroupShared(const TempFolder& folder) {
        const group* g = ::getgrnam("users");
        const passwd* p = ::getpwnam("daemon");
        if (::geteuid() != 0) {
            skip = "only root can give files away and run as another user";
        } else if (!g || !p) {
            skip = "the system has no group \"users\" or no user \"daemon\"";
        } else {
            users = g->gr_gid;
            daemon = p->pw_uid;
            // The scratch folder is root's and private: open the way to it.
            if (::chown(folder.path().c_str(), 0, users) != 0) throw std::runtime_error("chown");
            fs::permissions(folder.path(), fs::perms(0775));
        }
    }
    int RunAsMember(const std::function<int()>& body) const {
        return testing::RunAsUser(kNobody, kNogroup, {users}, body);
    }
};

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

TEST(ReplaceFile, AGroupMemberSavingAnotherUsersFileKeepsItsGroupAndMode) {
    TempFolder folder;
    const GroupShared shared(folder);
    if (!shared.skip.empty()) GTEST_SKIP() << shared.skip;
    const std::string path = folder / "Kelm.dat";
    WriteBytes(path, "old");
    ASSERT_EQ(::chown(path.c_str(), shared.daemon, shared.users), 0);
    fs::permissions(path, fs::perms(0664));
    EXPECT_EQ(shared.RunAsMember([&] { return ReplaceFile(path, "new"); }), 0);
    EXPECT_EQ(ReadBytes(path), "new");
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_uid, kNobody);  // only root may give the new file to daemon
    EXPECT_EQ(st.st_gid, shared.users);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

// The binary form of a POSIX ACL as the kernel keeps it in "system.posix_acl_access":
// the owner, one more user and the owning group may read and write, others read.
std::string AclGivingUserReadWrite(uid_t user) {
    struct Entry {
        std::uint16_t tag, perm;
        std::uint32_t id;
    };
    constexpr std::uint32_t kVersion = 2;
    constexpr std::uint32_t kNoId = 0xFFFFFFFFu;
    const Entry entries[] = {{0x01, 6, kNoId},
                             {0x02, 6, user},
                             {0x04, 6, kNoId},
                             {0x10, 6, kNoId},
                             {0x20, 4, kNoId}};  // owner, user, group, mask, other
    std::string bytes(reinterpret_cast<const char*>(&kVersion), sizeof kVersion);
    bytes.append(reinterpret_cast<const char*>(entries), sizeof entries);
    return bytes;
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = ::getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? std::string("(none: ") + std::strerror(errno) + ")" : std::string(value, n);
}

TEST(ReplaceFile, ExtendedAttributesAndTheAclStayWithTheFile) {
    TempFolder folder;
    const std::string path = folder / "Kelm.dat";
    WriteBytes(path, "old");
    if (::setxattr(path.c_str(), "user.kelm.note", "shared", 6, 0) != 0) {
        GTEST_SKIP() << "this file system keeps no extended attributes: " << std::strerror(errno);
    }
    const std::string acl = AclGivingUserReadWrite(kNobody);
    const bool aclKept =
        ::setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    EXPECT_EQ(ReplaceFile(path, "new"), 0);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(Attribute(path, "user.kelm.note"), "shared");
    if (aclKept) {
        EXPECT_EQ(Attribute(path, "system.posix_acl_access"), acl);
    } else {
        std::cout << "[  NOTE    ] this file system keeps no POSIX ACLs\n";
    }
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

void SetAge(const std::string& path, std::chrono::seconds age) {
    const timespec then{static_cast<time_t>(std::time(nullptr) - age.count()), 0};
    const timespec times[2] = {then, then};
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat");
}

// A save of the file killed after writing its new copy: no destructor runs.  0 when it got
// that far.
int KillASave(const std::string& path) {
    return testing::RunInChild([] { return true; },
                               [&]() -> int {
                                   FileReplacement replacement(path, "lost");
                                   ::_exit(replacement.Error());
                               });
}

TEST(ReplaceFile, AKilledSaveLeavesOnlyItsTemporaryFileWhichTheNextSaveRemovesAfterAnHour) {
    using namespace std::chrono_literals;
    TempFolder folder;
    const std::string path = folder / "Kelm.dat";
    WriteBytes(path, "old");
    ASSERT_EQ(KillASave(path), 0);
    ASSERT_EQ(folder.Names().size(), 2u);
    const std::string left = folder.Names()[0];
    EXPECT_TRUE(posixio::IsTemporaryOf(left, "Kelm.dat")) << left;
    EXPECT_EQ(ReadBytes(path), "old");

    // Only the program's own temporary files of this file, and only the old ones, go.
    SetAge(folder / left, 2h);
    const std::string fresh = ".Kelm.dat.4fresh.tmp", other = ".Other.dat.abc123.tmp";
    for (const std::string& name : {fresh, other, std::string("Kelm.dat.tmp")}) {
        WriteBytes(folder / name, "x");
        SetAge(folder / name, name == fresh ? 50min : 2h);
    }
    EXPECT_EQ(ReplaceFile(path, "newer"), 0);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{fresh, other, "Kelm.dat", "Kelm.dat.tmp"}));
}

TEST(ReplaceFile, ANameAsLongAsTheFileSystemAllowsIsSavedAndItsLeftoverSwept) {
    using namespace std::chrono_literals;
    std::string russian;  // 126 two-byte letters: the temporary name's cut falls inside one
    for (int i = 0; i < 126; ++i) russian += "\xD0\x96";
    russian += "abc";
    for (const std::string& name : {std::string(255, 'a'), std::string(244, 'b'), russian}) {
        SCOPED_TRACE(name.size());
        TempFolder folder;
        const std::string path = folder / name;
        WriteBytes(path, "old");
        EXPECT_EQ(ReplaceFile(path, "new"), 0);
        EXPECT_EQ(ReadBytes(path), "new");

        // What a killed save leaves is known as this file's, is cut where a letter begins,
        // and goes with the next save once it is old.
        ASSERT_EQ(KillASave(path), 0);
        ASSERT_EQ(folder.Names().size(), 2u);
        const std::string left = folder.Names()[0];
        EXPECT_TRUE(posixio::IsTemporaryOf(left, name)) << left;
        const std::size_t kept = left.size() - std::string_view(".XXXXXX.tmp").size() - 1;
        EXPECT_EQ("." + name.substr(0, kept), left.substr(0, kept + 1));
        EXPECT_NE(static_cast<unsigned char>(name[kept]) & 0xC0, 0x80) << kept;
        SetAge(folder / left, 2h);
        EXPECT_EQ(ReplaceFile(path, "newer"), 0);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{name});
    }
}

TEST(KeepCopy, WhereAHardLinkIsRefusedTheBytesAreCopiedAsPrivateAsTheFile) {
    // The system refuses a hard link to another user's file that one may not write.
    std::ifstream setting("/proc/sys/fs/protected_hardlinks");
    int protectedLinks = 0;
    if (!(setting >> protectedLinks) || protectedLinks != 1) {
        GTEST_SKIP() << "hard links are not protected here, so none is refused";
    }
    TempFolder folder;
    const GroupShared shared(folder);
    if (!shared.skip.empty()) GTEST_SKIP() << shared.skip;
    const std::string file = folder / "Kelm.dat";
    WriteBytes(file, "catalog");
    ASSERT_EQ(::chown(file.c_str(), shared.daemon, shared.users), 0);
    fs::permissions(file, fs::perms(0640));
    EXPECT_EQ(shared.RunAsMember([&] { return KeepCopy(file, file + ".bak"); }), 0);
    EXPECT_EQ(ReadBytes(file + ".bak"), "catalog");
    const struct stat original = StatOf(file), copy = StatOf(file + ".bak");
    EXPECT_NE(copy.st_ino, original.st_ino);  // a copy, not a link
    EXPECT_EQ(copy.st_mode & 07777, 0640u);
    EXPECT_EQ(copy.st_gid, shared.users);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Kelm.dat", "Kelm.dat.bak"}));
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

TEST(ReplaceFile, TheFailureIsToldByItsRealReason) {
    TempFolder folder;
    WriteBytes(folder / "ro.png", "old");
    fs::permissions(folder / "ro.png", fs::perms(0444));  // refused for root too
    WriteBytes(folder / "notafolder", "x");
    fs::create_directory(folder / "dir.png");
    const struct {
        std::string path, reason;
    } cases[] = {
        {folder / "ro.png", "файл защищён от записи"},
        {folder / "notafolder/chart.png", "«" + (folder / "notafolder") + "» — не папка"},
        {folder / "notafolder/deeper/chart.png", "«" + (folder / "notafolder") + "» — не папка"},
        {folder / "missing/chart.png", "папка «" + (folder / "missing") + "» не найдена"},
        {folder / "dir.png", "под этим именем уже есть папка"},
    };
    for (const auto& c : cases) {
        FileReplacement replacement(c.path, "new");
        EXPECT_NE(replacement.Commit(), 0) << c.path;
        EXPECT_EQ(FailureReason(replacement), c.reason) << c.path;
    }

    // A full disk (the file size limit, which binds root too).
    EXPECT_EQ(testing::RunWithFileSizeLimit(
                  1000,
                  [&] {
                      FileReplacement replacement(folder / "big.png", std::string(5000, 'n'));
                      replacement.Commit();
                      return FailureReason(replacement) == "на диске недостаточно места" ? 0 : 1;
                  }),
              0);

    // A folder the user may not write (as nobody, where the suite runs as root).
    const std::string locked = folder / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms(0555));
    fs::permissions(folder.path(), fs::perms(0755));
    const auto lockedOut = [&] {
        FileReplacement replacement(locked + "/chart.png", "new");
        replacement.Commit();
        return FailureReason(replacement) == "нет прав на запись в папку «" + locked + "»" ? 0 : 1;
    };
    EXPECT_EQ(::geteuid() == 0 ? testing::RunAsUser(kNobody, kNogroup, {}, lockedOut) : lockedOut(),
              0);
    fs::permissions(locked, fs::perms(0755));
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
