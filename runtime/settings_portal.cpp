#include "runtime/settings_portal.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

namespace rt {

SettingsPortal::SettingsPortal()
{
    // Qt's own accessibility and platform theme already connect to the
    // session bus: this adds a question on that connection, no new one.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // Read, not ReadOne: every version of the portal serves it (ReadOne came
    // with the interface's second version), at the cost of one more variant
    // around the value.
    QDBusMessage read = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    read << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    answer_ = bus.asyncCall(read, kPatienceMs);
}

bool SettingsPortal::prefersDark()
{
    if (!answer_)
        return false;
    // Returns with the reply, or with an error at the call's time-out.
    answer_->waitForFinished();
    const QDBusMessage reply = answer_->reply();
    answer_.reset();
    return reply.type() == QDBusMessage::ReplyMessage && saysDark(reply.arguments());
}

bool SettingsPortal::saysDark(const QVariantList& reply)
{
    QVariant value = reply.value(0);
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = qvariant_cast<QDBusVariant>(value).variant();
    return value.userType() == QMetaType::UInt && value.toUInt() == 1;
}

} // namespace rt
