#include "catalog/catalogfile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>

#include "base/contenthash.h"
#include "base/cp1251.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/numtext.h"
#include "base/safefile.h"
#include "catalog/textfile.h"

namespace kelm {

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

// The whole file as the program writes it, every line ended by CR LF.
std::string CatalogText(const Catalog& catalog) {
    // Made in one piece of memory: growing a text of megabytes step by step copied it over
    // and over, and cost more than writing it.  A number text takes at most 24 characters.
    constexpr std::size_t kNumberLine = 24 + 2, kMarkLine = 1 + 2;
    std::size_t size = 3 * (6 + 2);
    for (const auto& row : catalog.Rows) size += kMarkLine + row->Name.size() + 2 + 6 * kNumberLine;
    size += catalog.Pairs.Count() * (kMarkLine + kNumberLine);
    for (const auto& tyre : catalog.Tyres) size += kMarkLine + tyre->Name.size() + 2 + kNumberLine;
    std::string text;
    text.reserve(size);
    const auto line = [&text](std::string_view l) {
        text.append(l);
        text.append("\r\n");
    };
    line(kRowsLine);
    for (const auto& row : catalog.Rows) {
        line(kRecordLine);
        line(NameLine(row->Name));
        for (double ratio : row->Ratios) line(FloatToStr(ratio));
    }
    line(kPairsLine);
    for (const auto& pair : catalog.Pairs) {
        line(kRecordLine);
        line(FloatToStr(*pair));
    }
    line(kTyresLine);
    for (const auto& tyre : catalog.Tyres) {
        line(kRecordLine);
        line(NameLine(tyre->Name));
        line(IntToStr(tyre->Perimeter));
    }
    return text;
}

// What this program last read from or wrote to each catalog path: the version it knows.
// When the file holds something else at the next save, another program (another copy of
// Kelm, most likely) has written it meanwhile, and saving over it would silently undo that
// program's edits.  A path whose content could not be told (the load could not open or read
// it) has no entry and is not judged.
//
// The bytes are compared through a hash rather than by size and modification time: two
// saves within the file system's clock step, or one that keeps the size, would look
// unchanged by time and size alone.
std::map<std::string, FileVersion>& KnownVersions() {
    static std::map<std::string, FileVersion> versions;
    return versions;
}

// Whether the file now holds something other than the version this program knows, so
// that it has to be kept before the save replaces it.  A file that is gone has nothing to
// keep; one that cannot be read now counts as changed, to be on the safe side.
bool ChangedBehindOurBack(const std::string& path) {
    const auto known = KnownVersions().find(path);
    if (known == KnownVersions().end()) return false;
    const std::optional<FileVersion> now = ReadFileVersion(path);
    if (now && !now->exists) return false;
    return !now || *now != known->second;
}

std::string ChangedMessage(const std::string& backup) {
    return "Файл каталога был изменён другой программой. Его прежнее содержимое сохранено в "
           "файле " +
           backup + ".";
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
    KnownVersions().erase(path);     // until we know what the file holds

    TextReader in;
    in.Open(path);
    if (!in.IsOpen()) {
        // No file at all is a version too: one that appears later was written by another
        // program.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
            KnownVersions().insert_or_assign(path, FileVersion::Missing());
        }
    }
    if (CheckIO()) throw SilentAbort();

    // What the file held, also when a bad number ends the load early.
    const auto remember = [&] {
        if (auto version = in.WholeFileVersion()) KnownVersions().insert_or_assign(path, *version);
    };
    {
        CatalogReader reader(catalog);
        std::string line;
        try {
            while (!in.Eof()) {
                in.ReadLine(line);
                if (CheckIO()) throw SilentAbort();
                reader.Take(line);
            }
        } catch (const ConvertError&) {
            remember();
            throw;
        }
    }
    // A failing end-of-file test is reported, but the load keeps what it has read.
    const bool readToTheEnd = !CheckIO();
    remember();
    in.Close();
    if (CheckIO()) throw SilentAbort();
    if (readToTheEnd) IncompleteLoads().erase(path);
}

void SaveCatalog(Catalog& catalog, const std::string& path) {
    // The new catalog takes the old file's place only when every line has reached the disk:
    // a failed save leaves the old file whole.
    const std::string text = CatalogText(catalog);
    FileReplacement replacement(path, text);
    int error = replacement.Error();

    // The old file is kept before it is replaced when the last load did not read all of it,
    // or when another program has changed it since we last read or wrote it.  (Through a
    // symbolic link the backup goes beside the file the link leads to.)
    const bool changed = error == 0 && ChangedBehindOurBack(path);
    const std::string backup = replacement.Target() + ".bak";
    bool keptChanged = false;
    if (error == 0 && (changed || IncompleteLoads().contains(path))) {
        error = KeepCopy(replacement.Target(), backup);
        if (error == ENOENT) error = 0;  // no old file, nothing to keep
        if (error == 0 && changed) {
            keptChanged = true;
            // That version is safe now; a failure below must not keep it twice or tell of
            // it twice.
            if (auto now = ReadFileVersion(backup)) KnownVersions().insert_or_assign(path, *now);
        }
    }
    if (error == 0) error = replacement.Commit();
    if (error == 0) {
        IncompleteLoads().erase(path);
        KnownVersions().insert_or_assign(path, FileVersion::Of(text));
    }
    if (keptChanged) {
        AppMessages().ShowMessage(ChangedMessage(backup), AppTitle(), MessageIcon::None);
    }
    if (error != 0) SetIOError(error);
    CheckIO();  // one message for the whole save, whatever failed
}

}  // namespace kelm
