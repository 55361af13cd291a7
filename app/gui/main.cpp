// ryk: the desktop program.

#include "Version.h"
#include "app/Application.h"
#include "app/gui/JobWindow.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtAbortKey.h"
#include "platform/qt/QtMessageBox.h"

#include <QApplication>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace ryk;
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(kProgramTitle);
    QApplication::setApplicationVersion(RYK_VERSION_TEXT);

    // QApplication has taken its own options out of argv; the rest are ours, as raw bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);

    PosixFileSystem fileSystem;
    QtMessageBox messageBox;
    QtAbortKey abortKey;
    const Platform platform{fileSystem, messageBox, abortKey};
    Application application(platform);
    if (application.startUp(arguments) == Application::StartResult::Exit)
        return 0;

    JobWindow window(application.job());
    window.show();
    const int status = QApplication::exec();
    application.shutDown();
    return status;
}
