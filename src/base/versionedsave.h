#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/contenthash.h"

// Saving a file that the user may also edit elsewhere (a second copy of the program, a text
// editor, a sync tool), without ever losing what the other one wrote.
//
// The module remembers, per path (as the caller passes it), two things about each file:
// - the version this program last read or wrote (the bytes' hash; "no file" is a version
//   too).  When the file holds something else at the next save, another program has written
//   it meanwhile, and saving over it would silently undo that program's edits;
// - whether the last load was incomplete or bad (the file could not be opened or read to
//   its end, or its content could not be understood).  Saving over such a file would throw
//   away what the load never reached.
// In either case the save first keeps the old file as "<file>.bak", then replaces the file
// (FileReplacement, safefile.h: all or nothing).  The check and the replacement happen under
// the folder's save lock, so no save of another copy of the program lands between them.
//
// A backup the user has not seen yet is not replaced by the next one: a "<file>.bak" that
// was made after the file was last loaded (by this copy or another one) moves to
// "<file>.1.bak", an older "<file>.1.bak" to "<file>.2.bak", and so on up to
// kNumberedBackups; the oldest is dropped.  One that was there when the file was loaded
// counts as seen and is replaced.  Through a symbolic link, the backups lie beside the file
// the link leads to, and the link stays.
//
// Typical use, for a file read whole:
//
//     std::string bytes;
//     const int error = posixio::ReadFile(path, bytes);
//     const bool understood = error == 0 && Parse(bytes, records);
//     NoteFileLoad(path,
//                  error == 0        ? std::optional(FileVersion::Of(bytes))
//                  : error == ENOENT ? std::optional(FileVersion::Missing())
//                                    : std::nullopt,
//                  understood);
//     ...
//     const VersionedSaveResult saved = SaveVersionedFile(path, Text(records));
//     if (saved.backupReason == BackupReason::ChangedOnDisk) tell the user, naming saved.backup
//     if (saved.error != 0) tell the user the save failed (the file is as it was)
//
// Everything runs on the calling thread; the memory is the process's, for one thread.
namespace kelm {

// Why a save kept the old file.
enum class BackupReason {
    None,            // nothing was kept
    IncompleteLoad,  // the last load did not read or understand the whole file
    ChangedOnDisk,   // another program wrote the file after this one last read or wrote it
};

struct VersionedSaveResult {
    // 0, or the errno value of the step that failed.  The file is then as it was, though a
    // backup may have been kept before the failure (see below).
    int error = 0;
    // Why the old file was kept, and where: set only when a copy really was made.  When the
    // file had changed on disk and the last load was incomplete too, the reason is
    // ChangedOnDisk, which is the one to tell the user about.
    BackupReason backupReason = BackupReason::None;
    std::string backup;  // the backup's path ("<file>.bak"); empty when nothing was kept
    // Why the save failed, in Russian words for the user (FailureReason, safefile.h); empty
    // when it did not.
    std::string failure;
};

// How many numbered backups ("<file>.1.bak" ...) are kept besides "<file>.bak".
inline constexpr int kNumberedBackups = 3;

// The path of a backup of `file`: generation 0 is "<file>.bak", generation n "<file>.n.bak".
std::string BackupPath(const std::string& file, int generation);

// Records what a load of the file at `path` found, replacing what was known of it:
// - `version`: the version of the bytes the load read, all of them (FileVersion::Of),
//   FileVersion::Missing() when there was no file, or nothing when the content could not be
//   told (the file could not be opened or read);
// - `complete`: whether the load read and understood the whole file.
// Also notes the backup that is there now as seen.  Call it once the load is over; a loader
// that may stop half way can call it first with (nothing, false), so that a failure it does
// not come back from leaves the right marks.
void NoteFileLoad(const std::string& path, std::optional<FileVersion> version, bool complete);

// Replaces the file at `path` by `content`, keeping the old file as described above.  On
// success the content becomes the version known for the path and the incomplete mark goes;
// a failure keeps both marks, so the next save keeps the old file still.
VersionedSaveResult SaveVersionedFile(const std::string& path, std::string_view content);

}  // namespace kelm
