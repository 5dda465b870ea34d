#pragma once

#include <QIcon>

namespace kelm {

// The pictures of the editor's buttons, drawn in code, each with a normal and a disabled
// image.
QIcon AddIcon();        // "Добавить": a green plus
QIcon DeleteIcon();     // "Удалить": a red cross
QIcon CalculateIcon();  // "Посчитать": a pocket calculator

}  // namespace kelm
