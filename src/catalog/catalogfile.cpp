#include "catalog/catalogfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <system_error>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/numtext.h"
#include "catalog/textfile.h"

namespace kelm {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRowsLine = "Riads";
constexpr std::string_view kPairsLine = "Paras";
constexpr std::string_view kTyresLine = "Koless";
constexpr std::string_view kRecordLine = "_";

// Paths whose last load did not read the whole file.  Saving over such a file would
// throw away the records after the point where the load stopped, so the first save
// afterwards keeps the old file as "<path>.bak".  Keyed by the path as the callers pass
// it; a later complete load or a successful save clears the mark.
std::set<std::string>& IncompleteLoads() {
    static std::set<std::string> paths;
    return paths;
}

// Feeds the lines of the catalog file into the catalog.  Each kind has at most one
// record under construction, owned here and designated by the catalog's current
// reference of its kind; it moves into its list when its last line has been read.
class CatalogReader {
  public:
    explicit CatalogReader(Catalog& catalog) : catalog_(catalog) {}
    CatalogReader(const CatalogReader&) = delete;
    CatalogReader& operator=(const CatalogReader&) = delete;

    // Records still under construction die with the reader; no reference may outlive them.
    ~CatalogReader() {
        if (row_ && catalog_.CurrentRow == row_.get()) catalog_.CurrentRow = nullptr;
        if (pair_ && catalog_.CurrentPair == pair_.get()) catalog_.CurrentPair = nullptr;
        if (tyre_ && catalog_.CurrentTyre == tyre_.get()) catalog_.CurrentTyre = nullptr;
    }

    void Take(const std::string& line) {
        if (line == kRowsLine) {
            section_ = Section::Rows;
        } else if (line == kPairsLine) {
            section_ = Section::Pairs;
        } else if (line == kTyresLine) {
            section_ = Section::Tyres;
        } else if (line == kRecordLine) {
            StartRecord();
        } else {
            TakeData(line);
            // Every field sits at a line number of at most 7, so counting further than 8
            // changes nothing and cannot overflow on a huge file.
            counter_ = std::min(counter_ + 1, 8);
        }
    }

  private:
    enum class Section { None, Rows, Pairs, Tyres };

    void StartRecord() {
        // A record of the same kind still under construction is dropped here.
        switch (section_) {
            case Section::Rows:
                row_ = std::make_unique<Riad>();
                catalog_.CurrentRow = row_.get();
                break;
            case Section::Pairs:
                pair_ = std::make_unique<MainPair>(0.0);
                catalog_.CurrentPair = pair_.get();
                break;
            case Section::Tyres:
                tyre_ = std::make_unique<Koles>();
                catalog_.CurrentTyre = tyre_.get();
                break;
            case Section::None:
                break;
        }
        counter_ = 1;
    }

    // A data line while its section has no record under construction (no "_" yet, or the
    // record already appended) writes nowhere.
    void TakeData(const std::string& line) {
        switch (section_) {
            case Section::Rows:
                if (!row_) return;
                if (counter_ == 1) {
                    row_->Name = line;
                } else if (counter_ >= 2 && counter_ <= 7) {
                    row_->Ratios[static_cast<std::size_t>(counter_ - 2)] = ReadReal(line);
                    if (counter_ == 7) catalog_.AppendRow(std::move(row_));
                }
                return;
            case Section::Pairs:
                if (!pair_ || counter_ != 1) return;
                *pair_ = ReadReal(line);
                catalog_.AppendPair(std::move(pair_));
                return;
            case Section::Tyres:
                if (!tyre_) return;
                if (counter_ == 1) {
                    tyre_->Name = line;
                } else if (counter_ == 2) {
                    tyre_->Perimeter = ReadInteger(line);
                    catalog_.AppendTyre(std::move(tyre_));
                }
                return;
            case Section::None:
                return;
        }
    }

    // A catalog may have been written under the other decimal separator, so both serve.
    // The message quotes the line in UTF-8, as every message does.
    static double ReadReal(const std::string& line) {
        try {
            return StrToFloatAnySeparator(line);
        } catch (const ConvertError&) {
            throw ConvertError(NotAFloatMessage(Cp1251ToUtf8(line)));
        }
    }

    static std::int32_t ReadInteger(const std::string& line) {
        if (auto value = TryStrToInt(line)) return *value;
        throw ConvertError(NotAnIntegerMessage(Cp1251ToUtf8(line)));
    }

    Catalog& catalog_;
    Section section_ = Section::None;
    int counter_ = 0;
    std::unique_ptr<Riad> row_;
    std::unique_ptr<MainPair> pair_;
    std::unique_ptr<Koles> tyre_;
};

// A line break in a name would split its record over two lines and shift every line
// after it, and a 0x1A at the start of a line would end the file there; such bytes are
// written as blanks.  A 0x1A further on in a name is harmless and stays.
std::string NameLine(const std::string& name) {
    std::string line = name;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (!line.empty() && line.front() == '\x1A') line.front() = ' ';
    return line;
}

void WriteCatalog(TextWriter& out, const Catalog& catalog) {
    out.WriteLine(kRowsLine);
    for (const auto& row : catalog.Rows) {
        out.WriteLine(kRecordLine);
        out.WriteLine(NameLine(row->Name));
        for (double ratio : row->Ratios) out.WriteLine(FloatToStr(ratio));
    }
    out.WriteLine(kPairsLine);
    for (const auto& pair : catalog.Pairs) {
        out.WriteLine(kRecordLine);
        out.WriteLine(FloatToStr(*pair));
    }
    out.WriteLine(kTyresLine);
    for (const auto& tyre : catalog.Tyres) {
        out.WriteLine(kRecordLine);
        out.WriteLine(NameLine(tyre->Name));
        out.WriteLine(IntToStr(tyre->Perimeter));
    }
}

// Leaves a failure of a file-system call pending for CheckIO; true when there was one.
bool Reported(const std::error_code& ec) {
    if (!ec) return false;
    SetIOError(ec.value() != 0 ? ec.value() : EIO);
    return true;
}

// The file a save really replaces: a symbolic link is followed, so that the link stays
// and the file it names gets the new catalog.
std::string SaveTarget(const std::string& path) {
    std::error_code ec;
    if (!fs::is_symlink(path, ec)) return path;
    const fs::path target = fs::canonical(path, ec);
    return ec ? path : target.string();
}

// Keeps the current file as "<file>.bak", replacing an older one only once the new copy
// is complete.  A hard link costs no space; where the file system has none, a copy.
bool KeepBackup(const std::string& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return !Reported(ec);
    const std::string backup = file + ".bak";
    const std::string partial = backup + ".tmp";
    fs::remove(partial, ec);
    fs::create_hard_link(file, partial, ec);
    if (ec) fs::copy_file(file, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, backup, ec);
    if (Reported(ec)) {
        fs::remove(partial, ec);
        return false;
    }
    return true;
}

void SyncFolderOf(const std::string& file) {
    fs::path folder = fs::path(file).parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Writing into the file in place would fail on a catalog the user has made read-only;
// renaming over it would not, so that is checked first.
bool MayReplace(const std::string& file) {
    if (::access(file.c_str(), W_OK) == 0 || errno == ENOENT) return true;
    SetIOError(errno);
    return false;
}

bool WriteFresh(const Catalog& catalog, const std::string& fresh) {
    TextWriter out;
    out.Create(fresh);
    WriteCatalog(out, catalog);
    out.Sync();
    out.Close();
    return !out.Failed();
}

// Puts the finished new file in place of the old one in one step, with the old one's
// permissions.
bool ReplaceFile(const std::string& fresh, const std::string& file) {
    std::error_code ec;
    const fs::file_status old = fs::status(file, ec);
    if (!ec && fs::is_regular_file(old)) fs::permissions(fresh, old.permissions(), ec);
    fs::rename(fresh, file, ec);
    if (Reported(ec)) return false;
    SyncFolderOf(file);
    return true;
}

}  // namespace

bool CheckIO() {
    if (!IOErrorPending() || TakeIOError() == 0) return false;
    AppMessages().ShowMessage("Не найден файл", "Ошибка диска!", MessageIcon::None);
    return true;
}

void LoadCatalog(Catalog& catalog, const std::string& path) {
    catalog.ClearCatalog();
    IncompleteLoads().insert(path);  // until the last line has been read

    TextReader in;
    in.Open(path);
    if (CheckIO()) throw SilentAbort();
    {
        CatalogReader reader(catalog);
        std::string line;
        while (!in.Eof()) {
            in.ReadLine(line);
            if (CheckIO()) throw SilentAbort();
            reader.Take(line);
        }
    }
    // A failing end-of-file test is reported, but the load keeps what it has read.
    const bool readToTheEnd = !CheckIO();
    in.Close();
    if (CheckIO()) throw SilentAbort();
    if (readToTheEnd) IncompleteLoads().erase(path);
}

void SaveCatalog(Catalog& catalog, const std::string& path) {
    // The new catalog goes to a file of its own beside the old one and takes its place
    // only when every line has reached the disk: a failed save leaves the old file whole.
    const std::string file = SaveTarget(path);
    const std::string fresh = file + ".tmp";

    bool saved = MayReplace(file) && WriteFresh(catalog, fresh);
    if (saved && IncompleteLoads().contains(path)) saved = KeepBackup(file);
    if (saved) saved = ReplaceFile(fresh, file);
    if (saved) {
        IncompleteLoads().erase(path);
    } else {
        std::error_code ignored;
        fs::remove(fresh, ignored);
    }
    CheckIO();  // one message for the whole save, whatever failed
}

}  // namespace kelm
