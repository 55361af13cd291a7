// ryk: the desktop program.

#include "Version.h"
#include "app/Application.h"
#include "platform/Platform.h"
#include "platform/posix/PosixFileBatch.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtAbortKey.h"
#include "platform/qt/QtBatchProgress.h"
#include "platform/qt/QtMessageBox.h"
#include "results/ResultWindow.h"
#include "results/ResultWindowFactory.h"
#include "results/RowImages.h"

#include <QApplication>
#include <memory>
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

    // QApplication has taken its own options out of argv; the rest are ours, as raw bytes.
    std::vector<std::string> arguments(argv + 1, argv + argc);

    PosixFileSystem fileSystem;
    QtMessageBox messageBox;
    QtAbortKey abortKey;
    QtBatchProgress batchProgress;
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messageBox, abortKey, &batch};
    Application application(platform);
    if (application.startUp(arguments) == Application::StartResult::Exit)
        return application.exitStatus();

    // The job of the command line goes straight to its result window.
    int status = 0;
    {
        ResultWindowFactory factory(platform);
        if (!application.startJob(factory.job()))
            status = 1;
        else if (const std::unique_ptr<ResultWindow> window = factory.plan())
            window->exec();
    }
    application.shutDown();
    return status;
}
