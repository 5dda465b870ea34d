#include <gtest/gtest.h>

#include <QApplication>

#include "base/numtext.h"

// One QApplication for all widget tests; the number format is fixed to a decimal comma
// unless a test changes it.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    kelm::GlobalNumberFormat().decimalSeparator = ',';
    kelm::GlobalNumberFormat().thousandSeparator = " ";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
