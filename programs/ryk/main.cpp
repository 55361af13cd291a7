// ryk: the desktop program.

#include "Version.h"
#include "app/Application.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/MainWindow.h"
#include "desktop/results/RowImages.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileBatch.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtAbortKey.h"
#include "platform/qt/QtBatchProgress.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtTranslation.h"
#include "platform/qt/WindowRules.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace ryk;
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(kProgramTitle);
    QApplication::setApplicationVersion(RYK_VERSION_TEXT);
    QApplication::setWindowIcon(RowImages::programIcon());
    // Wayland has no window icons: the compositor finds name and icon through the entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(RYK_APP_ID));
    // The interface speaks Japanese, so Qt's own buttons and dialogs do too ("はい", not "Yes"),
    // unless the user's language is English: then ours and Qt's speak English.
    const Language language = userLanguage();
    installTranslations(qtApplication, language);
    WindowRules::install(qtApplication);

    // QApplication has taken its own options out of argv; the rest are ours, as raw bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);

    PosixFileSystem fileSystem;
    QtMessageBox messageBox;
    QtAbortKey abortKey;
    QtBatchProgress batchProgress;
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messageBox, abortKey, &batch, qtTextTranslation()};
    Application application(platform);
    if (application.startUp(arguments) == Application::StartResult::Exit)
        return application.exitStatus();

    // The main window is the program's working life: the command line fills it in, and each
    // job runs from it in a result window of its own. It is not application-modal, so a help
    // window beside it still takes input; closing it ends the program. The help window belongs
    // to no other window: it goes with the desk, while the application object is still there.
    {
        HelpDesk help(language);
        JobSettings job = application.job();
        MainWindow window(platform, job, application.settings(), help);
        QObject::connect(&window, &QDialog::finished, &qtApplication, &QApplication::quit);
        window.show();
        qtApplication.exec();
    }
    application.shutDown();
    return 0;
}
