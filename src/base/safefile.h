#pragma once

#include <string>
#include <string_view>

namespace kelm {

// Replacing a file so that it is never half written: the new content goes into a temporary
// file in the same folder, is flushed and synced to the disk, and is then renamed over the
// old file, after which the folder is synced so that the rename itself lasts.  A failure at
// any step leaves the old file as it was and removes the temporary file.  Only a process
// killed in the middle (kill -9, a power cut) can leave its temporary file behind; those are
// the program's own names (".Kelm.dat.XXXXXX.tmp", base/posixio.h), and each replacement
// first removes the ones of its file that are older than an hour.
//
// - A symbolic link stays a link: the file it leads to is replaced (and is created when the
//   link leads nowhere yet).
// - The new file takes the old one's permissions, extended attributes (POSIX ACLs among
//   them; a file system without them is no error) and, as far as the system lets us, its
//   owner and group: root keeps both; anyone else becomes the owner of the new file but
//   keeps the old file's group when a member of it, so that a file shared with a group stays
//   shared.  A new file gets the usual permissions of a new file.
// - A file that may not be written is refused with EACCES and left alone: one the system
//   does not let us write, and one whose mode has no write bit at all.  The second rule is
//   what keeps a file the user marked read-only ("chmod a-w") as it is when the program
//   runs as root, which may write into anything.
// - Only a regular file (or nothing) is replaced: a folder in its place gives EISDIR, any
//   other kind of file EINVAL.
// - Saves into one folder take turns: the rename happens under an advisory lock (flock) on
//   the folder, which a caller may take earlier (Lock) to look at the old file first with no
//   other save landing in between.
class FileReplacement {
  public:
    // Where a replacement failed, for telling the user why.
    enum class Step {
        None,    // no failure
        Target,  // the file itself: read-only, a folder, a loop of links...
        Folder,  // making the temporary file beside it: the folder
        Write,   // writing and syncing the new content
        Commit,  // taking the lock or renaming the new file into place
    };

    // Checks the file, writes the content into the temporary file and syncs it.  Error()
    // tells whether that worked; nothing visible has changed yet.
    FileReplacement(const std::string& path, std::string_view content);
    ~FileReplacement();  // removes the temporary file unless Commit has put it in place
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // 0, or the errno value of the first step that failed.
    int Error() const { return error_; }
    Step FailedStep() const { return step_; }
    // The file that is replaced: the path with a symbolic link followed.
    const std::string& Target() const { return target_; }

    // Takes the lock of the target's folder, which waits while another save (of this
    // program or another copy of it) holds it, and keeps it until this object is gone.
    // Returns Error(); a lock that has not come within ten seconds is EAGAIN.  A folder that
    // cannot be locked at all (no read permission, a file system without locks) is saved
    // into without the lock.
    int Lock();

    // Renames the new file over the target (under the lock, which it takes when Lock has
    // not) and syncs the folder; returns Error().  Does nothing more after a failure.
    int Commit();

  private:
    void Prepare(std::string_view content);
    void Fail(Step step, int error);

    std::string target_;
    std::string temp_;  // empty once renamed or removed
    int error_ = 0;
    Step step_ = Step::None;
    int lock_ = -1;  // the locked folder's descriptor
    bool locked_ = false;
};

// Why a replacement failed, in Russian words for the user, from the system's error code and
// the step: "файл защищён от записи", "нет прав на запись в папку «…»", "на диске
// недостаточно места", "«…» — не папка" and the like (UTF-8; the folders as the file system
// names them).
std::string FailureReason(const FileReplacement& replacement);

// The whole replacement in one call: 0, or the errno value of the step that failed.
int ReplaceFile(const std::string& path, std::string_view content);

// The file a replacement of the path writes: a symbolic link is followed to its end, so that
// the link stays and the file it names gets the new content.  A link that leads nowhere yet
// names the file to create; a loop of links is ELOOP.
int ResolveLinks(const std::string& path, std::string& target);

// Makes `copy`, a name in the same folder as `file`, hold what `file` holds now, replacing
// an older copy only once the new one is complete.  A hard link costs no space; where the
// file system has none, or refuses one, the bytes are copied, and the copy takes the file's
// permissions, attributes, owner and group as a replacement does.  0, or the errno value of
// the failure (ENOENT when there is no file).
int KeepCopy(const std::string& file, const std::string& copy);

}  // namespace kelm
