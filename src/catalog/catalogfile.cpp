#include "catalog/catalogfile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "base/contenthash.h"
#include "base/cp1251.h"
#include "base/errors.h"
#include "base/messages.h"
#include "base/numtext.h"
#include "base/versionedsave.h"
#include "catalog/textfile.h"

namespace kelm {

namespace {

constexpr std::string_view kRowsLine = "Riads";
constexpr std::string_view kPairsLine = "Paras";
constexpr std::string_view kTyresLine = "Koless";
constexpr std::string_view kRecordLine = "_";

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
    // Until the last line has been read, the load counts as incomplete, and until the file
    // has been read, its version as unknown.
    NoteFileLoad(path, std::nullopt, false);

    TextReader in;
    in.Open(path);
    if (!in.IsOpen()) {
        // No file at all is a version too: one that appears later was written by another
        // program.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
            NoteFileLoad(path, FileVersion::Missing(), false);
        }
    }
    if (CheckIO()) throw SilentAbort();

    // What the file held, also when a bad number ends the load early.
    std::optional<FileVersion> version;
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
            NoteFileLoad(path, in.WholeFileVersion(), false);
            throw;
        }
    }
    // A failing end-of-file test is reported, but the load keeps what it has read.
    const bool readToTheEnd = !CheckIO();
    version = in.WholeFileVersion();
    NoteFileLoad(path, version, false);
    in.Close();
    if (CheckIO()) throw SilentAbort();
    if (readToTheEnd) NoteFileLoad(path, version, true);
}

void SaveCatalog(Catalog& catalog, const std::string& path) {
    // The new catalog takes the old file's place only when every line has reached the disk:
    // a failed save leaves the old file whole.  The old file is kept as a backup first when
    // the last load did not read all of it, or when another program has changed it since.
    const VersionedSaveResult saved = SaveVersionedFile(path, CatalogText(catalog));
    if (saved.backupReason == BackupReason::ChangedOnDisk) {
        AppMessages().ShowMessage(ChangedMessage(saved.backup), AppTitle(), MessageIcon::None);
    }
    if (saved.error != 0) SetIOError(saved.error);
    CheckIO();  // one message for the whole save, whatever failed
}

}  // namespace kelm
