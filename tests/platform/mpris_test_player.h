#pragma once
// A small MPRIS player, for the tests of the MPRIS backends. It keeps a playlist, answers
// property reads and writes and the transport methods, and announces its changes with
// PropertiesChanged and Seeked.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace quorlix::testing {

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
    // The current track's metadata changes where it plays (a cover found, a length learnt),
    // announced.
    void amendCurrent(const std::function<void(TestTrack&)>& change);

    QString status = QStringLiteral("Playing");
    std::size_t current = 0;
    qlonglong positionMicroseconds = 0;
    bool shuffle = false;
    QString loopStatus = QStringLiteral("None");
    int playPauseCalls = 0;
    int nextCalls = 0;
    int previousCalls = 0;
    int raiseCalls = 0;
    int propertyReads = 0;  // Get and GetAll
    QString lastSetPositionTrack;
    // Told of each call once it is answered (a bench's player paces itself on its listener's
    // reads).
    std::function<void(const QDBusMessage&)> answered;

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
