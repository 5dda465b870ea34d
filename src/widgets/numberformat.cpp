#include "widgets/numberformat.h"

#include <QLocale>

#include "base/numtext.h"

namespace kelm {

void UseLocaleNumberFormat(const QLocale& locale) {
    NumberFormat& f = GlobalNumberFormat();
    const QString decimal = locale.decimalPoint();
    f.decimalSeparator =
        decimal.size() == 1 && decimal.at(0).unicode() < 0x80 ? char(decimal.at(0).unicode()) : '.';
    f.thousandSeparator = locale.groupSeparator().toStdString();
}

}  // namespace kelm
