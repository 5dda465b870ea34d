#pragma once

#include <QIcon>
#include <QPixmap>

#include "base/colors.h"

namespace kelm {

// The pictures of the main window, drawn here rather than shipped as image files.

// "Show / hide": a small saw-tooth shift chart, with a greyed look for the disabled button.
QIcon ShowHideIcon();
// "Labels": a yellow sign with a number on it, likewise with its disabled look.
QIcon LabelsIcon();
// A filled square of the colour with a dark frame, for the colour pickers.
QIcon ColorSwatchIcon(Color color, int size = 16);
// The program's picture (a shift chart on a light ground) at the given size, from the
// program's own SVG drawing; the window icon and the about box show it.
QPixmap ProgramPicture(QSize size);
QIcon ProgramIcon();

}  // namespace kelm
