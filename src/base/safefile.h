#pragma once

#include <string>
#include <string_view>

namespace kelm {

// Replacing a file so that it is never half written: the new content goes into a temporary
// file in the same folder, is flushed and synced to the disk, and is then renamed over the
// old file, after which the folder is synced so that the rename itself lasts.  A failure at
// any step leaves the old file as it was and no temporary file behind.
//
// - A symbolic link stays a link: the file it leads to is replaced (and is created when the
//   link leads nowhere yet).
// - The new file takes the old one's permissions and, where the system lets us, its owner;
//   a new file gets the usual permissions of a new file.
// - A file that may not be written is refused with EACCES and left alone: one the system
//   does not let us write, and one whose mode has no write bit at all.  The second rule is
//   what keeps a file the user marked read-only ("chmod a-w") as it is when the program
//   runs as root, which may write into anything.
// - Only a regular file (or nothing) is replaced: a folder in its place gives EISDIR, any
//   other kind of file EINVAL.
class FileReplacement {
  public:
    // Checks the file, writes the content into the temporary file and syncs it.  Error()
    // tells whether that worked; nothing visible has changed yet.
    FileReplacement(const std::string& path, std::string_view content);
    ~FileReplacement();  // removes the temporary file unless Commit has put it in place
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // 0, or the errno value of the first step that failed.
    int Error() const { return error_; }
    // The file that is replaced: the path with a symbolic link followed.
    const std::string& Target() const { return target_; }

    // Renames the new file over the target and syncs the folder; returns Error().  Does
    // nothing more after a failure.
    int Commit();

  private:
    void Prepare(std::string_view content);

    std::string target_;
    std::string temp_;  // empty once renamed or removed
    int error_ = 0;
};

// The whole replacement in one call: 0, or the errno value of the step that failed.
int ReplaceFile(const std::string& path, std::string_view content);

// Makes `copy` hold what `file` holds now, replacing an older copy only once the new one is
// complete.  A hard link costs no space; where the file system has none, the bytes are
// copied.  0, or the errno value of the failure.
int KeepCopy(const std::string& file, const std::string& copy);

}  // namespace kelm
