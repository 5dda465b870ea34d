#pragma once

#include <string>

namespace kelm {

// Where the catalog and the settings file live.
//
// Kelm keeps both beside itself, named after itself, wherever it may write there: the
// build folder, a per-user install, a copy on a USB stick.  Installed for everyone, its
// folder belongs to root, so each user gets the two files in their own folders instead:
// the catalog in $XDG_DATA_HOME/kelm/ (~/.local/share/kelm/) and the settings in
// $XDG_CONFIG_HOME/kelm/ (~/.config/kelm/), under the same names.

// What the choice depends on.  Everything is passed in, so that the choice can be made
// for any folders, not only the running process's.
struct FileLocationInputs {
    std::string programPath;    // full path of the running program file
    std::string home;           // the user's home folder ($HOME); empty when unknown
    std::string xdgDataHome;    // $XDG_DATA_HOME; empty when unset
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME; empty when unset
    std::string samplePath;     // the installed sample catalog, which may be missing
};

struct FileLocations {
    std::string catalog;
    std::string settings;
    bool besideProgram = true;  // false: in the user's own folders
};

// The inputs as this process finds them: its environment, with the home folder from the
// user database when HOME is unset, and the sample of an install under a prefix.
FileLocationInputs ProcessFileLocationInputs(const std::string& programPath);

// The installed sample catalog of a program installed as <prefix>/lib/kelm/<name>:
// <prefix>/share/kelm/<name>.dat.
std::string InstalledSamplePath(const std::string& programPath);

// Chooses the two files' places and gets the user's folders ready when they are chosen.
//
// The program's folder counts as writable when a file can be made there the way a save
// makes its new copy, which is tried and undone; the user id says nothing about it (root,
// a read-only mount, a folder given to a group).  Otherwise the user's folders are made,
// and when the user has no catalog yet, the catalog beside the program (a copy on a
// read-only medium that carries its own) or else the installed sample, if there is one, is
// copied into place.
// A catalog that is there already, even a broken link, is never replaced.  Failures here
// are not reported: the program's first read or save of the file reports them as usual.
// XDG variables that are not absolute paths are ignored.  Without a usable home folder
// the files stay beside the program.
FileLocations PrepareFileLocations(const FileLocationInputs& inputs);

}  // namespace kelm
