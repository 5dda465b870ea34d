#include <gtest/gtest.h>

#include <QApplication>

#include "base/numtext.h"
#include "widgets/qttranslations.h"

// One QApplication for all widget tests; the number format is fixed to a decimal comma
// unless a test changes it.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // Qt's own texts in Russian, as the program has them.
    kelm::UseRussianQtTexts();
    kelm::GlobalNumberFormat().decimalSeparator = ',';
    kelm::GlobalNumberFormat().thousandSeparator = " ";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
