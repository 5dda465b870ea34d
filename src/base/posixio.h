#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The file primitives every file the program reads or writes goes through: reading and
// writing whole, the program's own temporary files and copying bytes into one, and the one
// way a path is split into its folder and name.  Each returns 0 or an errno value, or
// answers a question; none throws.  The policies built on them (how a file is replaced,
// where the files live) are in safefile.h and filelocations.h.
namespace kelm::posixio {

// A path split at its last "/": the folder ("." when there is none, "/" for a file in the
// root) and the name.
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts SplitPath(const std::string& path);
// The folder and the name joined by one "/".
std::string JoinPath(const std::string& folder, const std::string& name);

// What lies at the path, its links followed: a folder; a regular file.
bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);

// Opens the file at the path for reading, when it is a regular file: a folder gives
// EISDIR, any other kind of file EINVAL, and nothing is left open then.
int OpenRegular(const std::string& path, int& fd);
// One read(2), repeated when a signal interrupts it: the bytes read, 0 at the end of the
// file, -1 with errno set on a failure.
ssize_t ReadSome(int fd, char* buffer, std::size_t size);
// Reads from fd to the end of the file, handing each piece to `take`, which returns 0 to
// go on, or an errno value that ends the reading and is returned.
int ReadEach(int fd, const std::function<int(const char* data, std::size_t size)>& take);
// The whole file at the path.  Only a regular file is read: a folder gives EISDIR, any other
// kind of file EINVAL.
int ReadFile(const std::string& path, std::string& bytes);
// Writes every byte, across partial writes and interrupting signals.
int WriteAll(int fd, std::string_view bytes);

// The program's temporary files lie beside the file they are made for and are named after
// it: ".<name>.XXXXXX.tmp", with six random letters or digits (".Kelm.dat.k3x9qa.tmp");
// of a name too long for that (near the file system's 255 bytes), as much as fits.
// Nothing else is named so; a save that crashes can leave one behind, and
// RemoveStaleTemporaries clears those away.

// Makes a temporary file of a fresh name beside `file` through `create`, which makes the
// file under the name it is given and returns 0, EEXIST when that name is taken (another
// name is then tried), or another errno value.  `name` is the file's path.
int CreateTemporary(const std::string& file, std::string& name,
                    const std::function<int(const std::string& name)>& create);
// A new temporary file beside `file`, opened for writing: created exclusively
// (O_CREAT | O_EXCL) with `mode`, less the process's umask as for any new file.
int OpenTemporary(const std::string& file, mode_t mode, std::string& name, int& fd);
// Whether `entry` (a name in a folder) is a temporary file made for the file named `name`.
bool IsTemporaryOf(std::string_view entry, std::string_view name);
// Removes the temporary files of `file` in its folder that nobody has written for longer
// than `age`: what a save that was killed left behind.  A younger one may belong to a save
// that runs now, and stays.  Failures are ignored; this only tidies up.
void RemoveStaleTemporaries(const std::string& file, std::chrono::seconds age);

// Copies the bytes of the regular file `source` into a new temporary file beside `file`
// (made with `mode` as OpenTemporary makes it), calls `finish` with the source's descriptor
// and the copy's (for what else the copy should take from the source; it returns 0 or an
// errno value), and syncs the copy to the disk.  On success `temp` names the copy; on a
// failure no copy is left.
int CopyToTemporary(const std::string& source, const std::string& file, mode_t mode,
                    std::string& temp, const std::function<int(int from, int to)>& finish = {});

// Makes the names in a folder last (after a rename or a link).  Some file systems cannot
// sync a folder; that is no failure of the caller's step, so nothing is reported.
void SyncFolder(const std::string& folder);

}  // namespace kelm::posixio
