#include "desktop/results/RunEndNotice.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace ryk {

namespace {

QString iconOf(RunEndNotice::Ending ending) {
    switch (ending) {
    case RunEndNotice::Ending::Done:
        return QStringLiteral("dialog-information");
    case RunEndNotice::Ending::Errors:
        return QStringLiteral("dialog-error");
    case RunEndNotice::Ending::Stopped:
        return QStringLiteral("dialog-warning");
    }
    return {};
}

} // namespace

RunEndNotice::RunEndNotice(QDBusConnection bus, std::chrono::milliseconds longRun)
    : m_bus(std::move(bus)), m_longRun(longRun) {}

bool RunEndNotice::runEnded(const QString& text, Ending ending) {
    if (!m_enabled || !m_clock.isValid() || m_clock.elapsed() <= m_longRun.count() ||
        QApplication::activeWindow() != nullptr)
        return false;
    send(text, ending);
    return true;
}

void RunEndNotice::send(const QString& text, Ending ending) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString title = QString::fromUtf8(kProgramTitle);
    QVariantMap hints;
    // Lets the desktop show the program's own name and icon with the notice.
    if (const QString entry = QGuiApplication::desktopFileName(); !entry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), entry);
    // Name, no notice replaced, icon, summary, body, no actions, hints, the server's timeout.
    call << title << 0u << iconOf(ending) << title << text << QStringList() << hints << -1;
    // Not started for us: a bus without the service answers with an error nobody waits for.
    call.setAutoStartService(false);
    m_bus.asyncCall(call);
}

} // namespace ryk
