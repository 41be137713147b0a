#include "platform/linux/mpris_bus.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>

#include <algorithm>
#include <utility>

namespace quorlix::platform {

class MprisBusReceiver final : public QObject {
    Q_OBJECT

public:
    explicit MprisBusReceiver(MprisBus& bus) : bus_(bus) {}

public Q_SLOTS:
    void nameOwnerChanged(const QString& name, const QString& /*oldOwner*/, const QString& newOwner) {
        bus_.nameOwnerChanged(name, newOwner);
    }
    void propertiesChanged(const QDBusMessage& message) { bus_.propertiesChanged(message); }
    void seeked(const QDBusMessage& message) { bus_.seeked(message); }

private:
    MprisBus& bus_;
};

namespace {

const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");

// Calls `method` without waiting and hands the reply to `done` on the main thread. Nothing
// waits on the reply, so the bus's own timeout applies: a busy player may take seconds to
// answer (a large cover in its metadata), and a reply given up on early left it unknown until
// its next change.
void callAsync(QDBusConnection& connection, QObject* context, const QDBusMessage& message,
               std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(connection.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         done(w->reply());
                     });
}

}  // namespace

MprisBus::MprisBus(const QDBusConnection& connection)
    : connection_(connection), receiver_(std::make_unique<MprisBusReceiver>(*this)) {
    if (!connection_.isConnected()) return;
    QObject* receiver = receiver_.get();
    connection_.connect(busService, busPath, busService, QStringLiteral("NameOwnerChanged"), receiver,
                        SLOT(nameOwnerChanged(QString, QString, QString)));
    connection_.connect(QString(), mpris::objectPath, propertiesInterface,
                        QStringLiteral("PropertiesChanged"), receiver, SLOT(propertiesChanged(QDBusMessage)));
    connection_.connect(QString(), mpris::objectPath, mpris::playerInterface, QStringLiteral("Seeked"),
                        receiver, SLOT(seeked(QDBusMessage)));

    listPlayers();
}

void MprisBus::listPlayers() {
    // The bus daemon answers at once; waiting here lets a snapshot taken right after
    // construction find the players that were already playing.
    const auto call = [this](const QString& method, const QList<QVariant>& args) {
        auto message = QDBusMessage::createMethodCall(busService, busPath, busService, method);
        message.setArguments(args);
        return connection_.call(message, QDBus::Block, 3000);
    };
    const QDBusMessage reply = call(QStringLiteral("ListNames"), {});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
    QStringList names = reply.arguments().constFirst().toStringList();
    names.sort();
    for (const QString& name : names) {
        if (!name.startsWith(mpris::namePrefix)) continue;
        const QDBusMessage owner = call(QStringLiteral("GetNameOwner"), {name});
        // A player that left meanwhile is not there.
        if (owner.type() != QDBusMessage::ReplyMessage || owner.arguments().isEmpty()) continue;
        addPlayer(name, owner.arguments().constFirst().toString(), false);
    }
}

MprisBus::~MprisBus() {
    // A layout under way ends before its answer's receiver goes.
    texts_.reset();
    // Pending replies and signals must not reach a half-destroyed bus.
    QObject* receiver = receiver_.get();
    if (connection_.isConnected()) {
        connection_.disconnect(QStringLiteral("org.freedesktop.DBus"),
                               QStringLiteral("/org/freedesktop/DBus"),
                               QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameOwnerChanged"),
                               receiver, SLOT(nameOwnerChanged(QString, QString, QString)));
        connection_.disconnect(QString(), mpris::objectPath, propertiesInterface,
                               QStringLiteral("PropertiesChanged"), receiver,
                               SLOT(propertiesChanged(QDBusMessage)));
        connection_.disconnect(QString(), mpris::objectPath, mpris::playerInterface, QStringLiteral("Seeked"),
                               receiver, SLOT(seeked(QDBusMessage)));
    }
    receiver_.reset();
}

QString MprisBus::busName(const std::string& identifier) const {
    std::lock_guard lock(rolesMutex_);
    const auto it = roles_.find(identifier);
    return it == roles_.end() ? QString() : it->second;
}

QString MprisBus::desktopEntry(const std::string& identifier) const {
    const auto it = desktopEntries_.find(identifier);
    return it == desktopEntries_.end() ? QString() : it->second;
}

void MprisBus::raise(const std::string& identifier) {
    const QString name = busName(identifier);
    if (name.isEmpty()) return;
    connection_.asyncCall(QDBusMessage::createMethodCall(name, mpris::objectPath, mpris::rootInterface,
                                                         QStringLiteral("Raise")));
}

Subscription MprisBus::onPlayerChanged(ChangeHandler handler) { return changed_.connect(std::move(handler)); }

Subscription MprisBus::onPlayerVanished(std::function<void(const std::string&)> handler) {
    return vanished_.connect(std::move(handler));
}

void MprisBus::nameOwnerChanged(const QString& name, const QString& newOwner) {
    if (!name.startsWith(mpris::namePrefix)) return;
    if (newOwner.isEmpty()) {
        removePlayer(name);
    } else if (Player* p = player(name)) {
        p->owner = newOwner;
    } else {
        // A player that starts up shows what it plays, as the players' own notifications do.
        addPlayer(name, newOwner, true);
    }
}

void MprisBus::propertiesChanged(const QDBusMessage& message) {
    const auto args = message.arguments();
    if (args.size() < 2 || args[0].toString() != mpris::playerInterface) return;
    Player* p = playerByOwner(message.service());
    if (!p) return;
    const QVariantMap changed = mpris::toMap(args[1]);
    const QStringList invalidated = args.size() > 2 ? args[2].toStringList() : QStringList();
    bool relevant = false;
    if (changed.contains(QStringLiteral("PlaybackStatus"))) {
        setStatus(*p, mpris::unwrap(changed.value(QStringLiteral("PlaybackStatus"))).toString());
        relevant = true;
    }
    if (changed.contains(QStringLiteral("Metadata"))) {
        p->state.metadata = mpris::toMap(changed.value(QStringLiteral("Metadata")));
        relevant = true;
    }
    if (invalidated.contains(QStringLiteral("PlaybackStatus")) ||
        invalidated.contains(QStringLiteral("Metadata"))) {
        prime(p->busName, true);  // the new values must be asked for
        return;
    }
    if (relevant) announceChange(p->busName, true, updateRoles());
}

void MprisBus::seeked(const QDBusMessage& message) {
    const auto args = message.arguments();
    Player* p = playerByOwner(message.service());
    if (!p || args.isEmpty()) return;
    bool ok = false;
    const qlonglong microseconds = args[0].toLongLong(&ok);
    if (!ok) return;
    announcePending();  // what changed before the jump is told first
    announce(*p, static_cast<double>(microseconds) / 1e6);
}

void MprisBus::addPlayer(const QString& name, const QString& owner, bool announceState) {
    if (Player* existing = player(name)) {
        if (!owner.isEmpty()) existing->owner = owner;
        return;
    }
    players_.push_back({name, owner, {}, false, 0, {}});
    // Until it is read, the newcomer only takes a role no one holds.
    updateRoles();
    prime(name, announceState);
}

void MprisBus::removePlayer(const QString& name) {
    const auto it =
        std::find_if(players_.begin(), players_.end(), [&](const Player& p) { return p.busName == name; });
    if (it == players_.end()) return;
    const auto identifier = identifierOf(name);
    players_.erase(it);
    const auto newMusic = updateRoles();
    if (identifier) vanished_.emit(*identifier);
    // Another player may have become Music: let it show what it plays.
    if (newMusic) announceChange(*newMusic, false, newMusic);
}

void MprisBus::prime(const QString& name, bool announceState) {
    auto getAll = QDBusMessage::createMethodCall(name, mpris::objectPath, propertiesInterface,
                                                 QStringLiteral("GetAll"));
    getAll.setArguments({mpris::playerInterface});
    callAsync(connection_, receiver_.get(), getAll, [this, name, announceState](const QDBusMessage& reply) {
        Player* p = player(name);
        if (!p || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        const QVariantMap properties = mpris::toMap(reply.arguments().constFirst());
        setStatus(*p, mpris::unwrap(properties.value(QStringLiteral("PlaybackStatus"))).toString());
        p->state.metadata = mpris::toMap(properties.value(QStringLiteral("Metadata")));
        p->primed = true;
        announceChange(name, announceState, updateRoles());
    });
    auto root =
        QDBusMessage::createMethodCall(name, mpris::objectPath, propertiesInterface, QStringLiteral("Get"));
    root.setArguments({mpris::rootInterface, QStringLiteral("DesktopEntry")});
    callAsync(connection_, receiver_.get(), root, [this, name](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
        Player* p = player(name);
        if (!p) return;
        p->desktopEntry = mpris::unwrap(reply.arguments().constFirst()).toString();
        updateRoles();
    });
}

void MprisBus::setStatus(Player& p, const QString& status) {
    const auto playing = [](const QString& s) { return s == QLatin1String("Playing"); };
    if (playing(status) != playing(p.state.playbackStatus)) p.lastPlayed = ++playChanges_;
    p.state.playbackStatus = status;
}

std::optional<QString> MprisBus::updateRoles() {
    const auto playing = [](const Player& p) { return p.state.playbackStatus == QLatin1String("Playing"); };
    std::map<std::string, QString> roles;
    const Player* music = nullptr;
    for (const Player& p : players_) {
        if (p.busName == mpris::spotifyBusName) {
            roles.try_emplace(mpris::spotifyIdentifier, p.busName);
            continue;
        }
        // Playing beats not playing, then the later start or stop; a tie keeps the earlier.
        if (!music || std::pair(playing(p), p.lastPlayed) > std::pair(playing(*music), music->lastPlayed))
            music = &p;
    }
    if (music) roles[mpris::musicIdentifier] = music->busName;
    for (const auto& [identifier, name] : roles) {
        if (const Player* p = player(name); p && !p->desktopEntry.isEmpty())
            desktopEntries_[identifier] = p->desktopEntry;
    }
    const QString previous = busName(mpris::musicIdentifier);
    {
        std::lock_guard lock(rolesMutex_);
        roles_ = std::move(roles);
    }
    if (music && music->busName != previous) return music->busName;
    return std::nullopt;
}

void MprisBus::announceChange(const QString& name, bool announceIt, const std::optional<QString>& newMusic) {
    const auto later = [this](const QString& playerName) {
        if (std::find(pending_.begin(), pending_.end(), playerName) == pending_.end())
            pending_.push_back(playerName);
    };
    if (announceIt || newMusic == name) later(name);
    if (newMusic && *newMusic != name) later(*newMusic);
    if (pending_.empty() || announcing_) return;
    // After everything already waiting on the main thread: a player's changes that came faster
    // than they are followed (a flood of tracks) are told once, as they stand by then, instead
    // of one by one, and nothing (a quit) waits behind a backlog of them.
    announcing_ = true;
    QMetaObject::invokeMethod(
        receiver_.get(), [this] { announcePending(); }, Qt::QueuedConnection);
}

void MprisBus::announcePending() {
    announcing_ = false;
    const std::vector<QString> names = std::exchange(pending_, {});
    for (const QString& name : names)
        if (Player* p = player(name); p && p->primed && textsReady(*p)) announce(*p);
}

bool MprisBus::textsReady(Player& p) {
    mpris::Track track = mpris::Track::from(p.state.metadata);
    const QString shown = track.title + QChar(0x1F) + track.artist();
    if (shown == p.textsLaidOut) return true;
    if (!track.needsLayingOut()) {
        p.textsLaidOut = shown;
        return true;
    }
    if (p.layingOut) return false;  // looked at again when that is done
    p.layingOut = true;
    if (!texts_) texts_ = std::make_unique<ThreadSerialQueue>();
    texts_->async([this, name = p.busName, shown, track = std::move(track)] {
        track.layOutAhead();
        QMetaObject::invokeMethod(
            receiver_.get(),
            [this, name, shown] {
                Player* laidOut = player(name);
                if (!laidOut) return;
                laidOut->layingOut = false;
                laidOut->textsLaidOut = shown;
                announceChange(name, true, std::nullopt);
            },
            Qt::QueuedConnection);
    });
    return false;
}

MprisBus::Player* MprisBus::player(const QString& name) {
    for (Player& p : players_)
        if (p.busName == name) return &p;
    return nullptr;
}

MprisBus::Player* MprisBus::playerByOwner(const QString& owner) {
    if (owner.isEmpty()) return nullptr;
    for (Player& p : players_)
        if (p.owner == owner) return &p;
    return nullptr;
}

std::optional<std::string> MprisBus::identifierOf(const QString& name) const {
    std::lock_guard lock(rolesMutex_);
    for (const auto& [identifier, busName] : roles_)
        if (busName == name) return identifier;
    return std::nullopt;
}

void MprisBus::announce(const Player& p, std::optional<double> seekedTo) {
    if (const auto identifier = identifierOf(p.busName)) changed_.emit(*identifier, p.state, seekedTo);
}

}  // namespace quorlix::platform

#include "mpris_bus.moc"
