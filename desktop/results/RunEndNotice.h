#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QString>
#include <chrono>

namespace ryk {

/// Tells the desktop how a long run ended while the user looks elsewhere: a notification
/// through the freedesktop.org notification service on the session bus. It is sent without
/// waiting for an answer, so a desktop without the service loses only the notice.
class RunEndNotice {
public:
    /// How a run ended, which the notice's icon shows.
    enum class Ending { Done, Errors, Stopped };

    /// Runs shorter than this end where the user still looks.
    static constexpr std::chrono::milliseconds kLongRun{10'000};

    explicit RunEndNotice(QDBusConnection bus = QDBusConnection::sessionBus(),
                          std::chrono::milliseconds longRun = kLongRun);

    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool enabled() const { return m_enabled; }

    /// A run starts now.
    void runStarting() { m_clock.start(); }
    /// The run begun last ended so, `text` saying how. A notice goes out when notices are
    /// enabled, the run lasted longer than a long run and none of the program's windows is
    /// active; returns whether one went.
    bool runEnded(const QString& text, Ending ending);

private:
    void send(const QString& text, Ending ending);

    QDBusConnection m_bus;
    std::chrono::milliseconds m_longRun;
    QElapsedTimer m_clock;
    bool m_enabled = false;
};

} // namespace ryk
