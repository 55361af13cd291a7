#pragma once

#include "ResultWindowFixture.h"
#include "platform/qt/ByteText.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

namespace ryk::test {

namespace fs = std::filesystem;

inline const QString kRecorder = QStringLiteral(RYK_RECORD_ARGUMENTS_PATH);

/// What a popup showed while it was open.
struct Popup {
    bool opened = false;
    QStringList texts; // a separator as ""
    QList<bool> enabled;
    QString defaultText;
    QPoint topLeft;
};

/// The result window of a plan in which two files have an older copy at the destination, so
/// that their rows have a destination file; the external programs record their arguments.
class RowContextMenuTest : public ResultWindowTest {
protected:
    RowContextMenuTest() {
        tmp.writeFile("src/with space.txt", "new");
        olderCopy("with space.txt");
        olderCopy("a.txt");
        qputenv("RYK_TEST_ARGUMENTS_FILE", QByteArray::fromStdString(argumentsFile));
    }
    ~RowContextMenuTest() override { qunsetenv("RYK_TEST_ARGUMENTS_FILE"); }

    void olderCopy(const std::string& name) {
        const std::string path = tmp.writeFile("dst/" + name, "old");
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
    }

    std::unique_ptr<ResultWindow> plannedWith(const ToolPaths& tools, AbortKey* key = nullptr) {
        ResultWindowFactory f(Platform{fileSystem, messages, key ? *key : keys});
        OptionFlags flags;
        flags.subdirectories = 1;
        EXPECT_TRUE(
            f.job().takeJob(settings(TransferMode::Update, source, destination, flags), tools));
        auto w = f.plan();
        if (!w) {
            ADD_FAILURE() << "the plan was abandoned";
            std::abort();
        }
        show(*w);
        return w;
    }

    /// The row whose source is `path`.
    static int rowOf(ResultWindow& w, const std::string& path) {
        for (int row = 0; row < w.model().rowCount(); ++row)
            if (w.job().list().at(static_cast<size_t>(row))->source.path.str() == path)
                return row;
        ADD_FAILURE() << "no row for " << path;
        return -1;
    }

    /// Right-clicks `column` of `row` (below the rows for -1) as the mouse does.
    static void rightClick(ResultWindow& w, int row, int column) {
        QWidget* viewport = w.view()->viewport();
        const QPoint at = row < 0 ? QPoint(4, viewport->height() - 4)
                                  : w.view()->visualRect(w.model().index(row, column)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &event);
    }

    /// Does `open`, reads the popup it opens and then chooses the item `choose`, or closes the
    /// popup when `choose` is empty. The popup runs its own event loop, so it is read from there.
    static Popup readPopup(const std::function<void()>& open, const QString& choose = {}) {
        Popup popup;
        bool looked = false;
        QTimer::singleShot(0, [&] {
            looked = true;
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            popup.opened = true;
            popup.topLeft = menu->geometry().topLeft();
            if (menu->defaultAction())
                popup.defaultText = menu->defaultAction()->text();
            QAction* chosen = nullptr;
            for (QAction* action : menu->actions()) {
                popup.texts << (action->isSeparator() ? QString() : action->text());
                popup.enabled << action->isEnabled();
                if (!choose.isEmpty() && action->text() == choose)
                    chosen = action;
            }
            if (chosen)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
            else
                menu->close();
        });
        open();
        EXPECT_TRUE(QTest::qWaitFor([&] { return looked; }));
        return popup;
    }

    /// The arguments the recorder was started with, its own name first; empty when it was not
    /// started within a few seconds.
    QStringList recordedArguments() const {
        if (!QTest::qWaitFor([&] { return fs::exists(argumentsFile); }, 10000))
            return {};
        std::ifstream in(argumentsFile);
        QStringList lines;
        for (std::string line; std::getline(in, line);)
            lines << fromBytes(line);
        fs::remove(argumentsFile);
        return lines;
    }

    const std::string argumentsFile = tmp / "arguments";
    const ToolPaths recorders{kRecorder.toStdString(), kRecorder.toStdString(),
                              kRecorder.toStdString()};
};

} // namespace ryk::test
