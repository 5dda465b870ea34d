#include "catalog/catalog.h"

#include <bit>

#include "base/numtext.h"

namespace kelm {

namespace {

template <class T, class KeyEquals>
bool WalkFind(RecordList<T>& list, T*& current, KeyEquals keyEquals) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
        current = list.At(i);
        if (keyEquals(*current, i)) return true;
    }
    return false;
}

}  // namespace

bool Catalog::FindRow(const std::string& name) {
    return WalkFind(Rows, CurrentRow, [&](const Riad& r, std::size_t) { return r.Name == name; });
}

const std::string& Catalog::PairText(std::size_t i) {
    if (pairTexts_.size() < Pairs.Count()) pairTexts_.resize(Pairs.Count());
    PairTextEntry& cached = pairTexts_[i];
    const double value = Pairs[i];
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const char separator = DecimalSeparator();
    if (!cached.formatted || cached.separator != separator || cached.valueBits != bits) {
        cached.text = FloatToStr(value, separator);
        cached.formatted = true;
        cached.valueBits = bits;
        cached.separator = separator;
    }
    return cached.text;
}

bool Catalog::FindPair(const std::string& text) {
    return WalkFind(Pairs, CurrentPair,
                    [&](const MainPair&, std::size_t i) { return PairText(i) == text; });
}

bool Catalog::FindTyre(const std::string& name) {
    return WalkFind(Tyres, CurrentTyre,
                    [&](const Koles& k, std::size_t) { return k.Name == name; });
}

void Catalog::ClearCatalog() {
    Rows.Clear();
    Pairs.Clear();
    Tyres.Clear();
    pairTexts_.clear();
    CurrentRow = nullptr;
    CurrentPair = nullptr;
    CurrentTyre = nullptr;
}

bool Catalog::RemoveRow(const Riad* row) {
    if (CurrentRow == row) CurrentRow = nullptr;
    return Rows.Remove(row);
}

bool Catalog::RemovePair(const MainPair* pair) {
    if (CurrentPair == pair) CurrentPair = nullptr;
    return Pairs.Remove(pair);
}

bool Catalog::RemoveTyre(const Koles* tyre) {
    if (CurrentTyre == tyre) CurrentTyre = nullptr;
    return Tyres.Remove(tyre);
}

PairAdd AddPairOnce(Catalog& catalog, MainPair value) {
    if (!(value > 0)) return PairAdd::Refused;
    if (catalog.FindPair(FloatToStr(value))) return PairAdd::Present;
    catalog.CurrentPair = catalog.AppendPair(std::make_unique<MainPair>(value));
    return PairAdd::Added;
}

Catalog& TheCatalog() {
    static Catalog catalog;
    return catalog;
}

}  // namespace kelm
