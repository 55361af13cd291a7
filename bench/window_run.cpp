// ryk-window-run: the desktop program's result window, run without a human, for bench/run.sh.
// It takes ryk's command line, plans the job into a result window, shows the window (on the
// offscreen platform when QT_QPA_PLATFORM=offscreen), presses its execute button, waits for
// the run to end and closes the window, as a user who pressed Enter twice and then Escape
// would. The rows, the status line and the copy window are drawn as on a desktop.
// With --show-only first, it closes the window once it is drawn, without running the list, and
// prints the summary rather than the run's end.
//
// Exit status: 0 when the run completed with no error (with --show-only: when the window was
// shown), 1 otherwise, 2 when the command line or the job was refused.

#include "app/Application.h"
#include "desktop/results/ResultWindow.h"
#include "desktop/results/ResultWindowFactory.h"
#include "engine/ListText.h"
#include "engine/TransferJob.h"
#include "platform/Platform.h"
#include "platform/console/ConsoleMessageBox.h"
#include "platform/posix/PosixFileBatch.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/QtAbortKey.h"
#include "platform/qt/QtBatchProgress.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    using namespace ryk;
    QApplication qtApplication(argc, argv);
    const bool showOnly = argc > 1 && std::string_view(argv[1]) == "--show-only";
    const std::vector<std::string> arguments(argv + (showOnly ? 2 : 1), argv + argc);

    PosixFileSystem fileSystem;
    // No one is there to answer: questions get the safe choice, messages go to stderr.
    ConsoleMessageBox messageBox;
    QtAbortKey abortKey;
    QtBatchProgress batchProgress;
    PosixFileBatch batch(fileSystem, &batchProgress);
    const Platform platform{fileSystem, messageBox, abortKey, &batch};
    Application application(platform, Application::Program::Terminal);
    if (application.startUp(arguments) != Application::StartResult::Proceed)
        return 2;

    ResultWindowFactory factory(platform);
    if (!application.startJob(factory.job()))
        return 2;
    const std::unique_ptr<ResultWindow> window = factory.plan();
    if (!window)
        return 1;
    window->show();
    const QDeadlineTimer exposed(5000);
    while (!window->windowHandle()->isExposed() && !exposed.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!window->windowHandle()->isExposed())
        return 1;

    if (!showOnly)
        window->findChild<QPushButton*>("runButton")->click();
    const std::string status = window->statusText().toStdString();
    const bool clean = showOnly || status == runFinishedText(0);
    window->reject();
    std::fprintf(stderr, "%s\n", status.c_str());
    return clean ? 0 : 1;
}
