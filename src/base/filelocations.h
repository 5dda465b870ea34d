#pragma once

#include <string>

namespace kelm {

// Where the program's three files live: the catalog (<name>.dat), the window settings
// (<name>.ini) and the engines and cars of the dynamics (<name>-dynamics.json), all named
// after the program file (Kelm.dat, Kelm.ini, Kelm-dynamics.json).
//
// An installed program never writes into its own folder, whoever runs it, root included.
// A program counts as installed when it was built for the Debian package, or when it lies
// in <prefix>/lib/kelm/ and <prefix>/share/kelm/ is a folder: the layout every install
// makes (the package under /usr, `cmake --install` under ~/.local or another prefix).  Its
// files are each user's own, whatever the permissions of its folder: the catalog and the
// dynamics file in $XDG_DATA_HOME/kelm/ (~/.local/share/kelm/), the settings in
// $XDG_CONFIG_HOME/kelm/ (~/.config/kelm/); root's in root's home.  At a user's first start
// the installed samples in <prefix>/share/kelm/ are copied there; a file that happens to lie
// beside an installed program is never used.
//
// Any other program (the build folder, a copy on a USB stick) keeps its files beside itself
// where it may write there.  Where it may not (a read-only medium), they go to the user's
// folders as above, started from the files the copy carries beside itself.

// What the choice depends on.  Everything is passed in, so that the choice can be made
// for any folders, not only the running process's.
struct FileLocationInputs {
    std::string programPath;    // full path of the running program file
    std::string home;           // the user's home folder ($HOME); empty when unknown
    std::string xdgDataHome;    // $XDG_DATA_HOME; empty when unset
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
    bool packaged = false;      // built for the package: installed wherever it lies
};

struct FileLocations {
    std::string catalog;
    std::string settings;
    std::string dynamics;       // always in the catalog's folder
    bool besideProgram = true;  // false: in the user's own folders
};

// The inputs as this process finds them: its environment, with the home folder from the
// user database when HOME is unset.
FileLocationInputs ProcessFileLocationInputs(const std::string& programPath, bool packaged);

// The installed sample of one of the files of a program installed as <prefix>/lib/kelm/<name>,
// by the file's ending: <prefix>/share/kelm/<name>.dat for the catalog,
// <prefix>/share/kelm/<name>-dynamics.json for the dynamics file.
std::string InstalledSamplePath(const std::string& programPath, const char* ending = ".dat");

// Whether the program counts as installed (see above).
bool IsInstalled(const FileLocationInputs& inputs);

// Chooses the files' places and gets the user's folders ready when they are chosen.
//
// A program that is not installed counts its folder as writable when a file can be made
// there the way a save makes its new copy (a temporary file beside the settings file),
// which is tried and undone; the user id says nothing about it (a read-only mount, a folder
// given to a group).  In the user's folders, the folders are made, and each file the user
// does not have yet is copied from its installed sample, or for a copy that is not
// installed, from the file it carries beside itself; a missing sample is no error (the file
// is then simply not there yet).  A file that is there already, even a broken link, is
// never replaced.  Failures here are not reported: the program's first read or save of the
// file reports them as usual.  XDG variables that are not absolute paths are ignored.
// Without a usable home folder (a user the system does not know, with HOME unset; root
// always has one) there are no user's folders, and the files stay beside the program.
FileLocations PrepareFileLocations(const FileLocationInputs& inputs);

}  // namespace kelm
