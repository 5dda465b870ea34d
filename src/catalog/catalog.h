#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelm {

// A gear row: the gearbox's name (Windows-1251 bytes, as in the catalog file) and the
// ratios of gears 1 to 6; a ratio of 0 marks a gear the gearbox does not have.
struct Riad {
    std::string Name;
    std::array<double, 6> Ratios{};
};

// A main pair is a bare final-drive ratio; its key is the number text of the value.
using MainPair = double;

// A tyre: its name and its rolling perimeter in millimetres.
struct Koles {
    std::string Name;
    std::int32_t Perimeter = 0;
};

// An ordered list that owns its records.  Each record is a heap object of its own whose
// address is its identity for as long as it is in the list.
template <class T>
class RecordList {
  public:
    std::size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    T& operator[](std::size_t i) { return *items_[i]; }
    const T& operator[](std::size_t i) const { return *items_[i]; }
    T* At(std::size_t i) { return items_[i].get(); }

    T* Append(std::unique_ptr<T> record) {
        items_.push_back(std::move(record));
        return items_.back().get();
    }

    // Position of the record by identity, or -1.
    std::ptrdiff_t IndexOf(const T* record) const {
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].get() == record) return static_cast<std::ptrdiff_t>(i);
        }
        return -1;
    }

    // Removes the record found by identity and destroys it; false when it is not here.
    bool Remove(const T* record) {
        const std::ptrdiff_t i = IndexOf(record);
        if (i < 0) return false;
        items_.erase(items_.begin() + i);
        return true;
    }

    void Clear() { items_.clear(); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<std::unique_ptr<T>> items_;
};

// The whole catalog: three lists and the three current-record references.  A lookup
// leaves its result in the reference of its kind, and the caller reads or changes the
// record through it right after.  A reference whose record is destroyed becomes empty
// here, so nothing ever reads a destroyed record.
class Catalog {
  public:
    RecordList<Riad> Rows;
    RecordList<MainPair> Pairs;
    RecordList<Koles> Tyres;

    Riad* CurrentRow = nullptr;
    MainPair* CurrentPair = nullptr;
    Koles* CurrentTyre = nullptr;

    // Walk the list from the first record, moving the reference to each record before
    // comparing its key byte for byte; stop at the first match.  On a miss the reference
    // is left on the last record; an empty list leaves it as it was.
    bool FindRow(const std::string& name);
    bool FindPair(const std::string& text);  // key: the number text of the value
    bool FindTyre(const std::string& name);

    // The number text of the pair at position i (FloatToStr of its value, in the user's
    // separator), made again only when the value or the separator has changed.  The
    // reference holds until the catalog is next used.
    const std::string& PairText(std::size_t i);

    // Destroys every record and empties the three lists.
    void ClearCatalog();

    Riad* AppendRow(std::unique_ptr<Riad> row) { return Rows.Append(std::move(row)); }
    MainPair* AppendPair(std::unique_ptr<MainPair> pair) { return Pairs.Append(std::move(pair)); }
    Koles* AppendTyre(std::unique_ptr<Koles> tyre) { return Tyres.Append(std::move(tyre)); }

    // Remove a record by identity and destroy it; a reference that designated it becomes
    // empty.  False when the record is not in its list.
    bool RemoveRow(const Riad* row);
    bool RemovePair(const MainPair* pair);
    bool RemoveTyre(const Koles* tyre);

  private:
    // The number text of the pair at each position as last formatted, kept with the value
    // and separator it was made from.  The text follows from those two alone, so an entry
    // whose value and separator still match is the text formatting would give now,
    // whatever was added, removed or changed in the list meanwhile.  Formatting every pair
    // on every lookup cost milliseconds per redraw with ten thousand pairs.
    struct PairTextEntry {
        bool formatted = false;
        std::uint64_t valueBits = 0;
        char separator = 0;
        std::string text;
    };
    std::vector<PairTextEntry> pairTexts_;
};

// What adding a main pair came to.
enum class PairAdd {
    Refused,  // not above 0 (or not a number): nothing added
    Present,  // a pair of this number text is there already: nothing added
    Added,    // appended at the end of Pairs
};

// Adds a main pair the one way the program adds one (the catalog editor's "Добавить" and the
// acceleration window's best pair): a value above 0 is looked up by its own number text
// (FindPair, FloatToStr with the user's separator), so that a value the catalog holds is never
// added twice, and is otherwise appended.  Either way a pair of that text is CurrentPair after.
PairAdd AddPairOnce(Catalog& catalog, MainPair value);

// The one catalog of the running program.
Catalog& TheCatalog();

}  // namespace kelm
