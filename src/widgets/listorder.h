#pragma once

#include <QStringList>

namespace kelm {

// Sorts into the order the drop-down lists show: QString::compare ignoring letter case,
// texts that compare equal in the order they came.
void SortLikeAList(QStringList& items);

}  // namespace kelm
