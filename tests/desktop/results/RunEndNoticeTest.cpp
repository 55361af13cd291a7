// The notice a long run sends when it ends unwatched, received on a session bus of the test's
// own by a notification service the test stands up on it.

#include "desktop/results/RunEndNotice.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace ryk {
namespace {

using namespace std::chrono_literals;

/// The desktop's side: records every notice it is sent.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Notice {
        QString icon;
        QString summary;
        QString body;
    };
    QList<Notice> notices;

public slots:
    uint Notify(const QString&, uint, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        notices.append({icon, summary, body});
        return static_cast<uint>(notices.size());
    }
};

class RunEndNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "no dbus-daemon to run a session bus";
        m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10'000));
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QDBusConnection connect(const QString& name) {
        return QDBusConnection::connectToBus(m_address, name);
    }
    /// The notification service, standing on the bus.
    void standUp(NotificationServer& server) {
        QDBusConnection bus = connect(QStringLiteral("service"));
        ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                                       QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    /// A notice of a run that lasted long enough, notices enabled.
    RunEndNotice longRunEnded(const QString& text, RunEndNotice::Ending ending, bool& sent) {
        RunEndNotice notice(connect(QStringLiteral("program")), 0ms);
        notice.setEnabled(true);
        notice.runStarting();
        QTest::qWait(5);
        sent = notice.runEnded(text, ending);
        return notice;
    }

    QProcess m_daemon;
    QString m_address;
};

TEST_F(RunEndNoticeTest, ALongUnwatchedRunTellsHowItEnded) {
    NotificationServer server;
    standUp(server);
    const struct {
        RunEndNotice::Ending ending;
        const char* text;
        const char* icon;
    } cases[] = {
        {RunEndNotice::Ending::Done, "完了しました.(Error=0)", "dialog-information"},
        {RunEndNotice::Ending::Errors, "完了しました.(Error=2)", "dialog-error"},
        {RunEndNotice::Ending::Stopped, "中断しました.(Error=0, 未実行=5)", "dialog-warning"},
    };
    for (const auto& c : cases) {
        bool sent = false;
        longRunEnded(QString::fromUtf8(c.text), c.ending, sent);
        EXPECT_TRUE(sent) << c.text;
    }
    QTRY_COMPARE_WITH_TIMEOUT(server.notices.size(), 3, 10'000);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(server.notices[i].summary, QStringLiteral("Rykmere"));
        EXPECT_EQ(server.notices[i].body, QString::fromUtf8(cases[i].text));
        EXPECT_EQ(server.notices[i].icon, QString::fromLatin1(cases[i].icon));
    }
}

TEST_F(RunEndNoticeTest, NoNoticeWhenOffShortOrWatched) {
    RunEndNotice off(connect(QStringLiteral("program")), 0ms);
    off.runStarting();
    QTest::qWait(5);
    EXPECT_FALSE(off.runEnded(QStringLiteral("x"), RunEndNotice::Ending::Done));

    RunEndNotice brief(connect(QStringLiteral("program")));
    brief.setEnabled(true);
    brief.runStarting();
    EXPECT_FALSE(brief.runEnded(QStringLiteral("x"), RunEndNotice::Ending::Done));

    QWidget window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bool sent = true;
    longRunEnded(QStringLiteral("x"), RunEndNotice::Ending::Done, sent);
    EXPECT_FALSE(sent);
}

TEST_F(RunEndNoticeTest, ABusWithoutTheServiceLosesOnlyTheNotice) {
    bool sent = false;
    longRunEnded(QStringLiteral("x"), RunEndNotice::Ending::Errors, sent);
    EXPECT_TRUE(sent);
    QTest::qWait(50); // the error answer arrives and is dropped
}

} // namespace
} // namespace ryk

#include "RunEndNoticeTest.moc"
