#pragma once
// A private D-Bus session bus and a small MPRIS player on it, for the tests of the MPRIS
// backends. The player keeps a two-track playlist, answers property reads and writes and
// the transport methods, and announces its changes with PropertiesChanged and Seeked.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <vector>

namespace quorlix::testing {

// A dbus-daemon of the test's own, ended with the object.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    bool isRunning() const { return !address_.isEmpty(); }
    // What clients put in DBUS_SESSION_BUS_ADDRESS to reach it.
    const QString& address() const { return address_; }
    // A new connection to the bus under `name` (unique per connection).
    QDBusConnection connect(const QString& name);

private:
    QProcess daemon_;
    QString address_;
    QStringList connections_;
};

struct TestTrack {
    QString id;  // object path
    QString title;
    QStringList artists;
    QString album;
    qlonglong lengthMicroseconds = 0;
    QString artURL;
};

class MprisTestPlayer final : public QDBusVirtualObject {
public:
    MprisTestPlayer(QDBusConnection connection, QString busName, std::vector<TestTrack> playlist);
    ~MprisTestPlayer() override;

    // Registers on the bus under the player's name; `quit` leaves it.
    bool publish();
    void quit();

    // Changes made by the "user" of the player, announced on the bus.
    void setStatus(const QString& status);
    void skipTo(std::size_t index);
    // The current track's mpris:artUrl, from the next read on.
    void setArtURL(const QString& url) { playlist_.at(current).artURL = url; }
    // Plays another file in the current track's place, announced as a new metadata under the
    // same track id (as players that give every file one id do).
    void replaceCurrent(TestTrack track);

    QString status = QStringLiteral("Playing");
    std::size_t current = 0;
    qlonglong positionMicroseconds = 0;
    bool shuffle = false;
    QString loopStatus = QStringLiteral("None");
    int playPauseCalls = 0;
    int nextCalls = 0;
    int previousCalls = 0;
    int raiseCalls = 0;
    QString lastSetPositionTrack;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QVariantMap metadata() const;
    QVariant property(const QString& name) const;
    void announce(const QVariantMap& changed);

    QDBusConnection connection_;
    QString busName_;
    std::vector<TestTrack> playlist_;
};

}  // namespace quorlix::testing
