// Kelm: compares the gearing of car gearboxes.  The program takes no arguments; its files
// are named after it and lie in the user's own folders when it is installed, beside it
// otherwise (base/filelocations.h).

#include <QApplication>
#include <QFile>
#include <QLocale>

#include "app/sessionend.h"
#include "base/filelocations.h"
#include "base/messages.h"
#include "base/paths.h"
#include "mainwindow/mainwindow.h"
#include "widgets/messageboxes.h"
#include "widgets/numberformat.h"
#include "widgets/pictures.h"
#include "widgets/qttranslations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelm"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kelm"));
    QApplication::setWindowIcon(kelm::ProgramIcon());
    // Qt's own buttons and dialogs speak Russian like the rest of the program.
    kelm::UseRussianQtTexts();
    kelm::CloseWindowsOnTerminate(&app);

    // Numbers are shown and read with the user's separators, taken once, here.
    kelm::UseLocaleNumberFormat(QLocale::system());

    // The file name as the file system spells it, so the files open whatever the folder is
    // called.
    const std::string program =
        QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
    kelm::AppTitle() = kelm::ProgramTitle(program);
    const kelm::FileLocations files = kelm::PrepareFileLocations(
        kelm::ProcessFileLocationInputs(program, KELM_PACKAGED_BUILD != 0));

    kelm::QtMessages messages;
    kelm::SetAppMessages(&messages);

    int result = 0;
    {
        kelm::TForm1 form(files.catalog, files.settings);
        form.SetDynamicsPath(files.dynamics);
        form.show();
        result = QApplication::exec();
    }
    kelm::SetAppMessages(nullptr);
    return result;
}
