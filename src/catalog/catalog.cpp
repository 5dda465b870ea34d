#include "catalog/catalog.h"

#include "base/numtext.h"

namespace kelm {

namespace {

template <class T, class KeyEquals>
bool WalkFind(RecordList<T>& list, T*& current, KeyEquals keyEquals) {
    for (std::size_t i = 0; i < list.Count(); ++i) {
        current = list.At(i);
        if (keyEquals(*current)) return true;
    }
    return false;
}

}  // namespace

bool Catalog::FindRow(const std::string& name) {
    return WalkFind(Rows, CurrentRow, [&](const Riad& r) { return r.Name == name; });
}

bool Catalog::FindPair(const std::string& text) {
    return WalkFind(Pairs, CurrentPair, [&](const MainPair& p) { return FloatToStr(p) == text; });
}

bool Catalog::FindTyre(const std::string& name) {
    return WalkFind(Tyres, CurrentTyre, [&](const Koles& k) { return k.Name == name; });
}

void Catalog::ClearCatalog() {
    Rows.Clear();
    Pairs.Clear();
    Tyres.Clear();
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

Catalog& TheCatalog() {
    static Catalog catalog;
    return catalog;
}

}  // namespace kelm
