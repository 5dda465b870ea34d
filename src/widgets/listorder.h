#pragma once

#include <QStringList>

namespace kelm {

// The order of every list of the program: by text with letter case ignored
// (QString::compare), whatever the user's locale.  Lists keep texts that compare equal in
// the order they came.
bool ListLess(const QString& a, const QString& b);

// Sorts into the order the drop-down lists show: QString::compare ignoring letter case,
// texts that compare equal in the order they came.
void SortLikeAList(QStringList& items);

}  // namespace kelm
