#include "base/filelocations.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/file_test_support.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

constexpr uid_t kNobody = 65534;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
const std::string kSample = "Riads\r\nParas\r\n_\r\n3,9\r\nKoless\r\n";

// An install under a prefix in a scratch folder: <prefix>/lib/kelm/Kelm with the sample
// in <prefix>/share/kelm/Kelm.dat, and a home folder.  The choice is made in a child
// process, as an ordinary user when the suite runs as root: root may write into any
// folder, so only an ordinary user meets a program folder that is not writable.
class FileLocationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(programFolder_);
        fs::create_directories(tmp_.path() / "prefix/share/kelm");
        fs::create_directories(home_);
        WriteBytes(program_, "#!/bin/true\n");
        WriteBytes(sample_, kSample);
    }

    void TearDown() override {
        // So that the scratch folder can be removed again.
        fs::permissions(programFolder_, fs::perms::owner_all, fs::perm_options::add);
    }

    FileLocationInputs Inputs() const {
        FileLocationInputs in;
        in.programPath = program_;
        in.home = home_;
        return in;
    }

    void MakeProgramFolderReadOnly() { fs::permissions(programFolder_, fs::perms(0555)); }

    // Without share/kelm/ beside lib/kelm/ the program is no install: a build folder or a
    // copy on a USB stick.
    void MakeACopyThatIsNotInstalled() { fs::remove_all(tmp_.path() / "prefix/share"); }

    // As root, the scratch folder and all in it go to the ordinary user who makes the
    // choice, so that only the modes set here stop it.
    void GiveToUser() {
        if (::geteuid() != 0) return;
        fs::permissions(tmp_.path(), fs::perms(0755));
        if (::chown(tmp_.path().c_str(), kNobody, kNobody) != 0) throw std::runtime_error("chown");
        for (const auto& entry : fs::recursive_directory_iterator(tmp_.path())) {
            if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) {
                throw std::runtime_error("chown");
            }
        }
    }

    // PrepareFileLocations in a child process (as the user nobody when run by root).
    FileLocations Prepare(const FileLocationInputs& in) {
        GiveToUser();
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
        const pid_t pid = ::fork();
        if (pid < 0) throw std::runtime_error("fork failed");
        if (pid == 0) {
            ::close(pipeFds[0]);
            if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                                     ::setuid(kNobody) != 0)) {
                ::_exit(3);
            }
            const FileLocations out = PrepareFileLocations(in);
            const std::string text = out.catalog + '\n' + out.settings + '\n' + out.dynamics +
                                     '\n' + (out.besideProgram ? "beside" : "own");
            const bool written =
                ::write(pipeFds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
            ::_exit(written ? 0 : 4);
        }
        ::close(pipeFds[1]);
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("child failed");
        FileLocations out;
        const std::size_t a = text.find('\n');
        const std::size_t b = text.find('\n', a + 1);
        const std::size_t c = text.find('\n', b + 1);
        out.catalog = text.substr(0, a);
        out.settings = text.substr(a + 1, b - a - 1);
        out.dynamics = text.substr(b + 1, c - b - 1);
        out.besideProgram = text.substr(c + 1) == "beside";
        return out;
    }

    TempFolder tmp_;
    const std::string programFolder_ = tmp_ / "prefix/lib/kelm";
    const std::string program_ = tmp_ / "prefix/lib/kelm/Kelm";
    const std::string sample_ = tmp_ / "prefix/share/kelm/Kelm.dat";
    const std::string home_ = tmp_ / "home";
};

TEST_F(FileLocationsTest, WritableProgramFolderKeepsBothFilesBesideTheProgram) {
    MakeACopyThatIsNotInstalled();
    const FileLocations where = Prepare(Inputs());
    EXPECT_TRUE(where.besideProgram);
    EXPECT_EQ(where.catalog, tmp_ / "prefix/lib/kelm/Kelm.dat");
    EXPECT_EQ(where.settings, tmp_ / "prefix/lib/kelm/Kelm.ini");
    EXPECT_EQ(where.dynamics, tmp_ / "prefix/lib/kelm/Kelm-dynamics.json");
    // The trial file is gone, nothing is copied beside the program and the home folder is
    // left alone.
    EXPECT_EQ(Names(programFolder_), std::vector<std::string>{"Kelm"});
    EXPECT_TRUE(fs::is_empty(home_));
}

TEST_F(FileLocationsTest, ReadOnlyProgramFolderUsesTheDefaultUserFoldersWithTheSample) {
    MakeProgramFolderReadOnly();
    const FileLocations where = Prepare(Inputs());
    EXPECT_FALSE(where.besideProgram);
    EXPECT_EQ(where.catalog, home_ + "/.local/share/kelm/Kelm.dat");
    EXPECT_EQ(where.settings, home_ + "/.config/kelm/Kelm.ini");
    EXPECT_EQ(ReadBytes(where.catalog), kSample);
    // The settings folder is ready for the first save; the file itself comes with it.
    EXPECT_TRUE(fs::is_directory(home_ + "/.config/kelm"));
    EXPECT_FALSE(fs::exists(where.settings));
    EXPECT_EQ(Names(home_ + "/.local/share/kelm"), std::vector<std::string>{"Kelm.dat"});
    // Folders the program makes are the user's alone.
    EXPECT_EQ(fs::status(home_ + "/.config").permissions() & fs::perms::all, fs::perms(0700));
    EXPECT_EQ(Names(programFolder_), std::vector<std::string>{"Kelm"});
}

TEST_F(FileLocationsTest, AReadOnlyCopyWithItsOwnCatalogStartsTheUserFromThatOne) {
    const std::string carried = "Riads\r\nParas\r\n_\r\n4,3\r\nKoless\r\n";
    WriteBytes(programFolder_ + "/Kelm.dat", carried);
    MakeACopyThatIsNotInstalled();
    MakeProgramFolderReadOnly();
    const FileLocations where = Prepare(Inputs());
    EXPECT_FALSE(where.besideProgram);
    EXPECT_EQ(ReadBytes(where.catalog), carried);
    EXPECT_EQ(ReadBytes(programFolder_ + "/Kelm.dat"), carried);  // left as it was
}

TEST_F(FileLocationsTest, AbsoluteXdgFoldersAreTakenRelativeOnesIgnored) {
    MakeProgramFolderReadOnly();
    FileLocationInputs in = Inputs();
    in.xdgDataHome = tmp_ / "data";
    in.xdgConfigHome = tmp_ / "conf/";
    FileLocations where = Prepare(in);
    EXPECT_EQ(where.catalog, tmp_ / "data/kelm/Kelm.dat");
    EXPECT_EQ(where.settings, tmp_ / "conf/kelm/Kelm.ini");
    EXPECT_EQ(ReadBytes(where.catalog), kSample);
    EXPECT_TRUE(fs::is_directory(tmp_ / "conf/kelm"));
    EXPECT_TRUE(fs::is_empty(home_));

    in.xdgDataHome = "data";
    in.xdgConfigHome = "./conf";
    where = Prepare(in);
    EXPECT_EQ(where.catalog, home_ + "/.local/share/kelm/Kelm.dat");
    EXPECT_EQ(where.settings, home_ + "/.config/kelm/Kelm.ini");
}

TEST_F(FileLocationsTest, TheUsersOwnCatalogIsNeverReplaced) {
    fs::create_directories(home_ + "/.local/share/kelm");
    WriteBytes(home_ + "/.local/share/kelm/Kelm.dat", "Riads\r\n");
    MakeProgramFolderReadOnly();
    FileLocationInputs in = Inputs();
    FileLocations where = Prepare(in);
    EXPECT_EQ(ReadBytes(where.catalog), "Riads\r\n");

    // A link to a catalog that is not there now (a folder not mounted) stays a link.
    in.xdgDataHome = tmp_ / "linked";
    fs::create_directories(tmp_ / "linked/kelm");
    fs::create_symlink(tmp_ / "nowhere/Kelm.dat", tmp_ / "linked/kelm/Kelm.dat");
    where = Prepare(in);
    EXPECT_TRUE(fs::is_symlink(where.catalog));
    EXPECT_FALSE(fs::exists(tmp_ / "nowhere"));
    EXPECT_EQ(Names(tmp_ / "linked/kelm"), std::vector<std::string>{"Kelm.dat"});
}

TEST_F(FileLocationsTest, WithoutASampleTheFoldersAreStillMade) {
    fs::remove(sample_);
    MakeProgramFolderReadOnly();
    const FileLocations where = Prepare(Inputs());
    EXPECT_FALSE(where.besideProgram);
    EXPECT_FALSE(fs::exists(where.catalog));
    EXPECT_TRUE(fs::is_directory(home_ + "/.local/share/kelm"));
    EXPECT_TRUE(fs::is_empty(home_ + "/.local/share/kelm"));
    EXPECT_TRUE(fs::is_directory(home_ + "/.config/kelm"));
}

TEST_F(FileLocationsTest, WithoutAHomeTheFilesStayBesideTheProgram) {
    MakeProgramFolderReadOnly();
    FileLocationInputs in = Inputs();
    in.home.clear();
    FileLocations where = Prepare(in);
    EXPECT_TRUE(where.besideProgram);
    EXPECT_EQ(where.catalog, tmp_ / "prefix/lib/kelm/Kelm.dat");

    in.home = "home";  // not a path to rely on
    where = Prepare(in);
    EXPECT_TRUE(where.besideProgram);

    // Both XDG folders given, no home needed.
    in.home.clear();
    in.xdgDataHome = tmp_ / "data";
    in.xdgConfigHome = tmp_ / "conf";
    where = Prepare(in);
    EXPECT_FALSE(where.besideProgram);
    EXPECT_EQ(where.settings, tmp_ / "conf/kelm/Kelm.ini");
}

TEST_F(FileLocationsTest, AnInstalledProgramNeverKeepsFilesBesideItselfWhoeverRunsIt) {
    // What root left beside the program when it could write there: never a user's start.
    WriteBytes(programFolder_ + "/Kelm.dat", "Riads\r\nParas\r\nKoless\r\n");
    // In this process, root when the suite runs as root: the folder is writable then, and
    // the files still go to the home folder.
    const FileLocations where = PrepareFileLocations(Inputs());
    EXPECT_FALSE(where.besideProgram);
    EXPECT_EQ(where.catalog, home_ + "/.local/share/kelm/Kelm.dat");
    EXPECT_EQ(where.settings, home_ + "/.config/kelm/Kelm.ini");
    EXPECT_EQ(ReadBytes(where.catalog), kSample);
    EXPECT_EQ(Names(programFolder_), (std::vector<std::string>{"Kelm", "Kelm.dat"}));
}

TEST_F(FileLocationsTest, ThePackagesProgramIsInstalledWhereverItLies) {
    // Unpacked into a folder of another shape, without any share/kelm/: still the user's
    // folders, with nothing to copy and nothing written beside the program.
    const std::string unpacked = tmp_ / "unpacked/Kelm";
    fs::create_directories(tmp_ / "unpacked");
    WriteBytes(unpacked, "#!/bin/true\n");
    FileLocationInputs in = Inputs();
    in.programPath = unpacked;
    in.packaged = true;
    const FileLocations where = Prepare(in);
    EXPECT_FALSE(where.besideProgram);
    EXPECT_EQ(where.catalog, home_ + "/.local/share/kelm/Kelm.dat");
    EXPECT_FALSE(fs::exists(where.catalog));
    EXPECT_EQ(Names(tmp_ / "unpacked"), std::vector<std::string>{"Kelm"});
}

TEST_F(FileLocationsTest, TheDynamicsFileLiesWithTheCatalogAndStartsFromItsOwnSample) {
    const std::string sample = "{\"engines\": []}\n";
    WriteBytes(tmp_ / "prefix/share/kelm/Kelm-dynamics.json", sample);
    FileLocationInputs in = Inputs();
    in.xdgDataHome = tmp_ / "data";
    FileLocations where = Prepare(in);
    EXPECT_EQ(where.dynamics, tmp_ / "data/kelm/Kelm-dynamics.json");
    EXPECT_EQ(ReadBytes(where.dynamics), sample);
    EXPECT_EQ(ReadBytes(where.catalog), kSample);

    // The user's own is never replaced; a missing sample leaves the file missing.
    WriteBytes(where.dynamics, "mine");
    where = Prepare(in);
    EXPECT_EQ(ReadBytes(where.dynamics), "mine");
    fs::remove(tmp_ / "prefix/share/kelm/Kelm-dynamics.json");
    in.xdgDataHome.clear();
    where = Prepare(in);
    EXPECT_EQ(where.dynamics, home_ + "/.local/share/kelm/Kelm-dynamics.json");
    EXPECT_EQ(Names(home_ + "/.local/share/kelm"), std::vector<std::string>{"Kelm.dat"});

    // A read-only copy that carries one starts its user from it.
    MakeACopyThatIsNotInstalled();
    WriteBytes(programFolder_ + "/Kelm-dynamics.json", "carried");
    MakeProgramFolderReadOnly();
    in.xdgDataHome = tmp_ / "carried";
    where = Prepare(in);
    EXPECT_EQ(ReadBytes(where.dynamics), "carried");
}

TEST_F(FileLocationsTest, InstalledMeansLibKelmBesideShareKelmOrBuiltForThePackage) {
    struct Case {
        std::string program;
        bool packaged;
        bool installed;
    };
    fs::create_directories(tmp_ / "build/bin");
    fs::create_directories(tmp_ / "share/kelm");  // beside a build folder, by chance
    fs::create_directories(tmp_ / "other/lib/kelm");
    const Case cases[] = {
        {program_, false, true},
        {tmp_ / "build/bin/Kelm", false, false},
        {tmp_ / "build/bin/Kelm", true, true},
        {tmp_ / "other/lib/kelm/Kelm", false, false},  // no share/kelm beside it
    };
    for (const Case& c : cases) {
        FileLocationInputs in;
        in.programPath = c.program;
        in.packaged = c.packaged;
        EXPECT_EQ(IsInstalled(in), c.installed) << c.program << " " << c.packaged;
    }
}

TEST(InstalledSamplePath, SharedDataOfTheProgramsPrefix) {
    EXPECT_EQ(InstalledSamplePath("/usr/lib/kelm/Kelm"), "/usr/share/kelm/Kelm.dat");
    EXPECT_EQ(InstalledSamplePath("/home/a/.local/lib/kelm/Kelm"),
              "/home/a/.local/share/kelm/Kelm.dat");
    EXPECT_EQ(InstalledSamplePath("/opt/x/lib/kelm/Kelm.bin"), "/opt/x/share/kelm/Kelm.dat");
}

}  // namespace
}  // namespace kelm
