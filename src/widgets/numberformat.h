#pragma once

class QLocale;

namespace kelm {

// Takes the decimal and thousands separators of the locale into GlobalNumberFormat().
// A decimal separator that is not one plain character falls back to the point.
void UseLocaleNumberFormat(const QLocale& locale);

}  // namespace kelm
