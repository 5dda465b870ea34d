#include "app/sessionend.h"

#include <QMessageBox>
#include <QScopeGuard>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iterator>

#include "mainwindow_fixture.h"
#include "widgets/messageboxes.h"

namespace kelm::testing {
namespace {

using SessionEnd = MainWindowTest;

// Ctrl+C in the terminal, the terminal closed, the session ending: each closes the windows
// as their close buttons do, a message box open at the time included, and the settings are
// written.
TEST_F(SessionEnd, EachEndingSignalClosesTheWindowsAndWritesTheSettings) {
    constexpr int kSignals[] = {SIGINT, SIGHUP, SIGTERM};
    // Afterwards the signals end the test program again, as they did before.
    struct sigaction before[std::size(kSignals)];
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], nullptr, &before[i]);
    const auto restore = qScopeGuard([&] {
        for (std::size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &before[i], nullptr);
    });

    WriteCatalog(SampleCatalogFile(','));
    for (const int signal : kSignals) {
        SCOPED_TRACE(signal);
        std::remove(SettingsPath().c_str());
        Form1 f = Open();
        QObject watcher;
        CloseWindowsOnTerminate(&watcher);

        // The signal comes while a box waits for its OK.
        bool boxWasOpen = false;
        QTimer::singleShot(0, [&] {
            boxWasOpen = QApplication::activeModalWidget() != nullptr;
            std::raise(signal);
        });
        QtMessages().ShowMessage("Не найден файл", "Ошибка диска!", MessageIcon::Error);
        EXPECT_TRUE(boxWasOpen);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !f->isVisible(); }, 5000));
        const std::string settings = ReadBytes(SettingsPath());
        EXPECT_EQ(std::count(settings.begin(), settings.end(), '\n'), 17) << settings;
        form_.reset();
    }
}

}  // namespace
}  // namespace kelm::testing
