#pragma once

#include "desktop/results/OperationTableModel.h"
#include "desktop/results/ResultWindow.h"
#include "desktop/results/ResultWindowFactory.h"
#include "engine/TransferJob.h"
#include "platform/qt/QtAbortKey.h"
#include "support/EngineFixture.h"
#include "support/WindowWatch.h"

#include <QApplication>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace ryk::test {

/// Looks at the windows whenever the plan or the run polls the keyboard.
class WatchingAbortKey : public AbortKey {
public:
    AbortKeyEvent poll() override {
        if (watch)
            watch();
        return AbortKeyEvent::None;
    }
    std::function<void()> watch;
};

/// The user at the keyboard of the desktop during a long step: the program's own abort key,
/// and keys pressed into the window that has the keyboard, the way the platform delivers them,
/// while a chosen poll looks at the input.
class KeysDuringPoll : public AbortKey {
public:
    /// `press` runs in the window with the keyboard during the `nth` poll from now. The key
    /// looks at the input every few milliseconds; after a pause the next poll is one that looks.
    void pressAt(int nth, std::function<void(QWindow&)> press) {
        m_pressAt = polls + nth;
        m_press = std::move(press);
        QTest::qWait(20);
    }
    AbortKeyEvent poll() override {
        if (++polls == m_pressAt)
            QTimer::singleShot(0, [press = m_press] {
                QWindow* window = QGuiApplication::focusWindow();
                ASSERT_NE(window, nullptr) << "no window has the keyboard";
                press(*window);
            });
        return m_key.poll();
    }
    int polls = 0;

private:
    QtAbortKey m_key;
    int m_pressAt = 0;
    std::function<void(QWindow&)> m_press;
};

/// A brake the user has during a long step: a released Escape asks first, a held Control
/// stops at once.
struct Brake {
    const char* what;
    std::function<void(QWindow&)> press;
    std::vector<std::string> asked;
};

inline std::vector<Brake> brakes() {
    return {
        {"Escape", [](QWindow& w) { QTest::keyClick(&w, Qt::Key_Escape); }, {"中断しますか?"}},
        {"Control held", [](QWindow& w) { QTest::keyPress(&w, Qt::Key_Control); }, {}},
    };
}

/// Lets go of the Control key a brake holds down.
inline void releaseControl() {
    if (QWindow* window = QGuiApplication::focusWindow())
        QTest::keyRelease(window, Qt::Key_Control);
}

/// A small tree to plan: three files, one of them in a subdirectory, and an empty destination.
class ResultWindowTest : public EngineTest {
protected:
    ResultWindowTest() {
        source = tmp.makeDir("src");
        destination = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "aaa");
        tmp.writeFile("src/b.c", "bbbbb");
        tmp.writeFile("src/sub/c.txt", "ccccccc");
    }

    /// A factory with its job stated; the plan has not run yet.
    std::unique_ptr<ResultWindowFactory> factory(TransferMode mode, AbortKey& key) {
        auto f = std::make_unique<ResultWindowFactory>(Platform{fileSystem, messages, key});
        OptionFlags flags;
        flags.subdirectories = 1;
        EXPECT_TRUE(f->job().takeJob(settings(mode, source, destination, flags)));
        return f;
    }
    std::unique_ptr<ResultWindow> planned(TransferMode mode = TransferMode::Update,
                                          AbortKey* key = nullptr) {
        auto w = factory(mode, key ? *key : keys)->plan();
        if (!w) {
            ADD_FAILURE() << "the plan was abandoned";
            std::abort();
        }
        return w;
    }

    /// Shows the window as the user meets it (showActive()).
    static void show(ResultWindow& w) { EXPECT_TRUE(showActive(w)); }
    static QPushButton* button(ResultWindow& w, const char* name) {
        return w.findChild<QPushButton*>(name);
    }
    static QStringList column(ResultWindow& w, int column) {
        QStringList texts;
        const OperationTableModel& model = w.model();
        for (int row = 0; row < model.rowCount(); ++row)
            texts << model.data(model.index(row, column)).toString();
        return texts;
    }
    static void select(ResultWindow& w, std::initializer_list<int> rows) {
        for (const int row : rows)
            w.view()->selectionModel()->select(
                w.model().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    QString in(const std::string& dir, const char* name) const {
        return QString::fromStdString(dir + "/" + name);
    }

    std::string source;
    std::string destination;
};

} // namespace ryk::test
