// The main window of a test: a job's two trees, the window over them and the ways a user
// works it (keys to its native window, modes chosen as from the list, answered dialogs).
#pragma once

#include "app/Application.h"
#include "app/ModeRules.h"
#include "app/SearchOptions.h"
#include "app/SettingsFile.h"
#include "desktop/main/Controls.h"
#include "desktop/main/EditorPage.h"
#include "desktop/main/FolderPicker.h"
#include "desktop/main/HelpWindow.h"
#include "desktop/main/HistoryComboBox.h"
#include "desktop/main/HistoryPage.h"
#include "desktop/main/MainWindow.h"
#include "desktop/main/OptionsSheet.h"
#include "desktop/main/SearchPage.h"
#include "desktop/results/OperationTableModel.h"
#include "desktop/results/ResultWindow.h"
#include "engine/TransferJob.h"
#include "platform/qt/ByteText.h"
#include "support/EngineFixture.h"
#include "support/WindowWatch.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace ryk::test {

using Items = std::vector<std::string>;

class MainWindowTest : public EngineTest {
protected:
    MainWindowTest() {
        source = tmp.makeDir("src");
        destination = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "aaa");
        tmp.writeFile("src/sub/b.txt", "bb");
    }

    MainWindow& open() {
        window = std::make_unique<MainWindow>(platform, job, settings, help);
        window->setResultWindowRunner([this](ResultWindow& result) {
            ++resultWindows;
            if (runResult)
                result.runList();
            result.reject();
        });
        return *window;
    }
    QWidget* control(int id) const { return controlById(window.get(), id); }
    QComboBox* modeList() const { return window->findChild<QComboBox*>("modeList"); }
    void chooseMode(TransferMode mode) {
        // As the user does it: the list emits its activation only for a choice of the user's.
        QComboBox* list = modeList();
        list->setFocus();
        while (list->currentIndex() != static_cast<int>(mode)) {
            const bool down = list->currentIndex() < static_cast<int>(mode);
            QTest::keyClick(list, down ? Qt::Key_Down : Qt::Key_Up);
        }
    }
    std::string enabledInputs() const {
        std::string enabled;
        for (int id = kSourceBox; id <= kDestinationPatternBox; ++id)
            enabled += control(id)->isEnabled() ? '1' : '0';
        return enabled;
    }
    void setText(HistoryKind kind, const std::string& text) {
        window->box(kind).setEditText(QString::fromStdString(text));
    }
    Items items(HistoryKind kind) const { return window->box(kind).history().items(); }
    /// On screen and active, so that keys sent to its native window reach its focus widget.
    void showActive() { ASSERT_TRUE(test::showActive(*window)); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(window->windowHandle(), key, modifiers);
    }
    /// Does `act`; the first dialog or menu that comes up over the main window meanwhile is
    /// handed to `answer`, which closes it. Its class name; empty when nothing came up.
    QString whatComesUp(
        const std::function<void()>& act,
        const std::function<void(QWidget&)>& answer = [](QWidget& up) { up.close(); }) {
        QString seen;
        answerWhileActing(
            act,
            [this]() -> QWidget* {
                QWidget* up = QApplication::activePopupWidget();
                if (!up)
                    up = QApplication::activeModalWidget();
                return up == window.get() ? nullptr : up;
            },
            [&](QWidget& up) {
                seen = QString::fromLatin1(up.metaObject()->className());
                answer(up);
            });
        return seen;
    }

    std::string source;
    std::string destination;
    JobSettings job;
    SettingsFile settings;
    HelpDesk help;
    std::unique_ptr<MainWindow> window;
    int resultWindows = 0;
    bool runResult = true;
};

} // namespace ryk::test
