#pragma once
// The media players on a D-Bus session bus, as MPRIS publishes them. One instance watches
// the bus for players coming and going, keeps each one's playback state and track as the
// player announces them, and tells which bus name stands for which of the two players the
// system follows: Spotify is "org.mpris.MediaPlayer2.spotify", and Music is the other player
// that played most recently: the one playing now (the last to start, when several play),
// else the last one that was; while none has played, the first that appeared (at start-up,
// the first in name order). When another player takes the Music role it shows what it plays,
// as a player's own change would. Changes are announced once the main thread has run what
// was already waiting there, together: a player that changes faster than the system follows
// costs one announcement of where it stands, not one for each change.
//
// The players already on the bus are known from construction on (their names are asked for
// at once), so a snapshot taken right after finds them; what they play arrives later.
//
// The notification, script and workspace backends share it. It lives on the main thread;
// `busName` may be asked from any thread (scripts run on their own queue).

// published.h comes before any Qt header: Qt's keyword macros ("emit", "slots") must not
// meet its definitions. For the same reason the bus's Qt receiver lives in the .cpp.
#include "platform/published.h"

#include "platform/linux/mpris_metadata.h"
#include "platform/serial_queue.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::platform {

class MprisBusReceiver;

class MprisBus final {
public:
    // What a player last announced.
    struct PlayerState {
        QString playbackStatus;  // "Playing", "Paused" or "Stopped"; empty when unknown
        QVariantMap metadata;
    };
    using ChangeHandler = std::function<void(const std::string& identifier, const PlayerState& state,
                                             std::optional<double> seekedTo)>;

    explicit MprisBus(const QDBusConnection& connection);
    ~MprisBus();
    MprisBus(const MprisBus&) = delete;
    MprisBus& operator=(const MprisBus&) = delete;

    QDBusConnection connection() const { return connection_; }
    // The bus name of the followed player with this identifier, or empty. Any thread.
    QString busName(const std::string& identifier) const;
    // The desktop entry name the player with this identifier gave last (it may have quit
    // since), or empty.
    QString desktopEntry(const std::string& identifier) const;
    // Asks the player to come forward.
    void raise(const std::string& identifier);

    // A followed player's state or track changed, or it jumped to another position.
    [[nodiscard]] Subscription onPlayerChanged(ChangeHandler handler);
    // A followed player left the bus.
    [[nodiscard]] Subscription onPlayerVanished(std::function<void(const std::string& identifier)> handler);

private:
    friend class MprisBusReceiver;
    void nameOwnerChanged(const QString& name, const QString& newOwner);
    void propertiesChanged(const QDBusMessage& message);
    void seeked(const QDBusMessage& message);

    struct Player {
        QString busName;
        QString owner;  // unique connection name
        PlayerState state;
        bool primed = false;
        // When it last started or stopped playing, in the order of such changes; 0: never
        // seen playing.
        std::uint64_t lastPlayed = 0;
        QString desktopEntry;
        // The texts last laid out ahead of being shown (`shownTexts`), and whether some are
        // being laid out.
        QString textsLaidOut;
        bool layingOut = false;
    };

    // The players on the bus now, asked for without waiting for the event loop.
    void listPlayers();
    void addPlayer(const QString& name, const QString& owner, bool announce);
    void removePlayer(const QString& name);
    // Reads the player's properties; announces its state afterwards when `announce`.
    void prime(const QString& name, bool announce);
    // Stores a newly read playback status, noting a start or stop of playing.
    void setStatus(Player& player, const QString& status);
    // Gives the roles anew; the bus name of a player that just became Music, if any.
    std::optional<QString> updateRoles();
    // Announces `player` when `announceIt`, and then the new Music player, if another, once
    // what already waits on the main thread has run.
    void announceChange(const QString& player, bool announceIt, const std::optional<QString>& newMusic);
    void announcePending();
    Player* player(const QString& name);
    Player* playerByOwner(const QString& owner);
    std::optional<std::string> identifierOf(const QString& name) const;
    void announce(const Player& player, std::optional<double> seekedTo = std::nullopt);
    // Whether the player's title and artist may be shown now. Texts that need the system's
    // fonts are first laid out on a thread of their own (for a long one in a new script, tens
    // of milliseconds), and the player is announced once they are; meanwhile it is not.
    bool textsReady(Player& player);

    QDBusConnection connection_;
    // Receives the bus's signals and is the context of pending calls, which die with it.
    std::unique_ptr<MprisBusReceiver> receiver_;
    std::vector<Player> players_;  // in order of appearance
    std::uint64_t playChanges_ = 0;
    // The desktop entry of each role's player, kept after it quits.
    std::map<std::string, QString> desktopEntries_;
    // The players whose changes are still to be announced, in order, and whether that is asked.
    std::vector<QString> pending_;
    bool announcing_ = false;
    // Where texts are laid out ahead; made when first needed.
    std::unique_ptr<SerialQueue> texts_;

    mutable std::mutex rolesMutex_;
    std::map<std::string, QString> roles_;  // identifier -> bus name

    Signal<std::string, PlayerState, std::optional<double>> changed_;
    Signal<std::string> vanished_;
};

}  // namespace quorlix::platform
