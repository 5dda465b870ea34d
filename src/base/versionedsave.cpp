#include "base/versionedsave.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>

#include "base/safefile.h"

namespace kelm {

namespace {

// Which file a backup name held when it was last seen: a backup made later is another
// inode, or the same one changed (a hard link or a write changes its ctime).
struct BackupMark {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    long long changedSeconds = 0;
    long changedNanoseconds = 0;

    bool operator==(const BackupMark&) const = default;
};

BackupMark MarkOf(const std::string& backup) {
    struct stat st {};
    if (::lstat(backup.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return {true, st.st_dev, st.st_ino, static_cast<long long>(st.st_ctim.tv_sec),
            st.st_ctim.tv_nsec};
}

// What the program knows of one path.
struct Known {
    // The version last read or written; nothing when the content could not be told, and
    // then the file is not judged.
    std::optional<FileVersion> version;
    bool incomplete = false;  // the last load did not read or understand all of the file
    BackupMark seenBackup;    // the "<file>.bak" that was there at the last load
};

std::map<std::string, Known>& Memory() {
    static std::map<std::string, Known> known;
    return known;
}

// The bytes are compared through a hash rather than by size and modification time: two
// saves within the file system's clock step, or one that keeps the size, would look
// unchanged by time and size alone.  A file that is gone has nothing to keep; one that
// cannot be read now counts as changed, to be on the safe side.
bool ChangedBehindOurBack(const std::string& path, const Known& known) {
    if (!known.version) return false;
    const std::optional<FileVersion> now = ReadFileVersion(path);
    if (now && !now->exists) return false;
    return !now || *now != *known.version;
}

// Moves a backup the user has not seen yet out of the way of the next one: each numbered
// backup one number up, the oldest dropped, "<file>.bak" to "<file>.1.bak".
int MakeRoomForBackup(const std::string& file, const BackupMark& seen) {
    const BackupMark now = MarkOf(BackupPath(file, 0));
    if (!now.exists || now == seen) return 0;
    for (int generation = kNumberedBackups; generation >= 1; --generation) {
        const std::string from = BackupPath(file, generation - 1);
        const std::string to = BackupPath(file, generation);
        // A failure would let the next step overwrite a backup: the save stops instead.
        if (::rename(from.c_str(), to.c_str()) != 0 && errno != ENOENT) return errno;
    }
    return 0;
}

std::string BackupOfPath(const std::string& path) {
    std::string target;
    if (ResolveLinks(path, target) != 0) return {};
    return BackupPath(target, 0);
}

}  // namespace

std::string BackupPath(const std::string& file, int generation) {
    if (generation == 0) return file + ".bak";
    return file + "." + std::to_string(generation) + ".bak";
}

void NoteFileLoad(const std::string& path, std::optional<FileVersion> version, bool complete) {
    Known& known = Memory()[path];
    known.version = version;
    known.incomplete = !complete;
    const std::string backup = BackupOfPath(path);
    known.seenBackup = backup.empty() ? BackupMark{} : MarkOf(backup);
}

VersionedSaveResult SaveVersionedFile(const std::string& path, std::string_view content) {
    VersionedSaveResult result;
    // The new content is written beside the file first; the lock is held from the look at
    // the old file to the rename.
    FileReplacement replacement(path, content);
    if (replacement.Lock() != 0) {
        result.error = replacement.Error();
        result.failure = FailureReason(replacement);
        return result;
    }
    Known& known = Memory()[path];
    const bool changed = ChangedBehindOurBack(path, known);
    if (changed || known.incomplete) {
        const std::string backup = BackupPath(replacement.Target(), 0);
        int error = MakeRoomForBackup(replacement.Target(), known.seenBackup);
        if (error == 0) error = KeepCopy(replacement.Target(), backup);
        if (error == 0) {
            result.backup = backup;
            result.backupReason =
                changed ? BackupReason::ChangedOnDisk : BackupReason::IncompleteLoad;
            // That version is safe now; a failure below must not keep it twice or tell of
            // it twice.
            if (changed) {
                if (auto kept = ReadFileVersion(backup)) known.version = *kept;
            }
        } else if (error != ENOENT) {  // ENOENT: no old file, nothing to keep
            result.error = error;
            result.failure = "не удалось сохранить прежнее содержимое файла в " + backup;
            return result;
        }
    }
    result.error = replacement.Commit();
    if (result.error != 0) result.failure = FailureReason(replacement);
    if (result.error == 0) {
        known.incomplete = false;
        known.version = FileVersion::Of(content);
    }
    return result;
}

}  // namespace kelm
