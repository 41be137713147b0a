// The now-playing service's side of the script bridge: snapshots, position, commands, seek,
// shuffle, repeat and favourite. Every local effect (a flipped flag, the play state, a moved
// anchor) is applied at once and never rolled back; the next sync, notification or snapshot
// brings the player's truth.

#include "foundation/app_settings.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"

#include <cmath>
#include <utility>

namespace quorlix {

namespace {
void ignore(std::optional<platform::ScriptValue>) {}
}  // namespace

void NowPlayingService::run(std::string source, ScriptCompletion completion) {
    runScript(scripts_, scriptHost_, std::move(source), scriptTimeLimit,
              lifetime_.guard(std::move(completion)));
}

bool NowPlayingService::isRunning(PlayerSource source) const {
    return workspace_ && workspace_->isRunning(std::string(rawValue(source)));
}

void NowPlayingService::refresh(PlayerSource source) {
    if (!isRunning(source)) return;
    if (!allows(AppSettings::shared().mediaSource.get(), source)) return;
    run(PlayerScripts::snapshot(source), [this, source](std::optional<platform::ScriptValue> result) {
        if (!result) return;
        if (const auto reply = result->stringValue()) applySnapshot(*reply, source);
    });
}

void NowPlayingService::applySnapshot(const std::string& reply, PlayerSource source) {
    const auto snapshot = PlayerScripts::parseSnapshot(reply, source);
    if (!snapshot) return;
    // A snapshot only ever introduces a paused track when nothing is showing.
    if (!snapshot->playing && track.get()) return;
    Track next;
    next.id = std::string(rawValue(source)) + ":" + snapshot->trackID;
    next.title = snapshot->name;
    next.artist = snapshot->artist;
    next.album = snapshot->album;
    next.duration = snapshot->duration;
    next.source = source;
    apply(next, snapshot->playing);
    setAnchor(snapshot->position);
}

void NowPlayingService::fetchPosition(PlayerSource source) {
    if (!isRunning(source)) return;
    // Asked again while a read still waits for the player (a player announcing faster than it
    // answers): one more read follows that one, rather than a read for each announcement.
    Pending& reading = positionRead_[source == PlayerSource::music ? 0 : 1];
    if (reading.waiting) {
        reading.again = true;
        return;
    }
    reading.waiting = true;
    run(PlayerScripts::position(source), [this, source](std::optional<platform::ScriptValue> result) {
        Pending& reading = positionRead_[source == PlayerSource::music ? 0 : 1];
        reading.waiting = false;
        const auto seconds = result ? result->doubleValue() : std::nullopt;
        // The track may have moved to the other player meanwhile.
        if (seconds && track.get() && track.get()->source == source) setAnchor(*seconds);
        if (std::exchange(reading.again, false)) fetchPosition(source);
    });
}

void NowPlayingService::send(const std::string& command) {
    if (!track.get() || !isRunning(track.get()->source)) return;
    run(PlayerScripts::command(track.get()->source, command), ignore);
}

void NowPlayingService::togglePlayPause() {
    if (!track.get()) return;
    setPlaying(!isPlaying.get());
    send("playpause");
}

void NowPlayingService::seek(double seconds) {
    if (!track.get() || !isRunning(track.get()->source)) return;
    double target = seconds;
    if (target <= 0) target = 0;
    if (track.get()->duration > 0 && track.get()->duration < target) target = track.get()->duration;
    // Not a number, or infinite with no duration to bound it: there is nowhere to go.
    if (!std::isfinite(target)) return;
    setAnchor(target);
    run(PlayerScripts::setPosition(track.get()->source, target), ignore);
}

NowPlayingService::ScriptCompletion NowPlayingService::readBack(Published<bool>& flag,
                                                                const unsigned& toggles) {
    // Scripts run in turn, so a read asked before a toggle reads the player before the toggle
    // reached it: its answer is older than the flag, which it must not undo.
    return [&flag, &toggles, asked = toggles](std::optional<platform::ScriptValue> result) {
        if (toggles != asked) return;
        if (const auto on = result ? result->booleanValue() : std::nullopt) flag = *on;
    };
}

void NowPlayingService::syncShuffle() {
    if (!track.get() || !isRunning(track.get()->source)) return;
    // Asked again while a sync still waits for the player: one more follows that one.
    if (shuffleSync_.waiting) {
        shuffleSync_.again = true;
        return;
    }
    shuffleSync_.waiting = true;
    const auto synced = [this] {
        shuffleSync_.waiting = false;
        if (std::exchange(shuffleSync_.again, false)) syncShuffle();
    };
    const PlayerSource source = track.get()->source;
    // Spotify has no favourites, nor has a host without them: nothing is marked.
    const bool favourites = source == PlayerSource::music && scriptHost_ && scriptHost_->supportsFavorites();
    run(PlayerScripts::shuffle(source), readBack(shuffling, shuffleToggles_));
    run(PlayerScripts::repeating(source),
        [read = readBack(repeating, repeatToggles_), favourites, synced](std::optional<platform::ScriptValue> result) {
            read(std::move(result));
            if (!favourites) synced();
        });
    if (!favourites) {
        favorited = false;
        return;
    }
    run(PlayerScripts::musicFavorite(std::nullopt),
        [read = readBack(favorited, favoriteToggles_), synced](std::optional<platform::ScriptValue> result) {
            read(std::move(result));
            synced();
        });
}

void NowPlayingService::toggleShuffle() {
    if (!track.get() || !isRunning(track.get()->source)) return;
    ++shuffleToggles_;
    shuffling = !shuffling.get();
    run(PlayerScripts::setShuffle(track.get()->source, shuffling.get()), ignore);
}

void NowPlayingService::toggleRepeat() {
    if (!track.get() || !isRunning(track.get()->source)) return;
    ++repeatToggles_;
    repeating = !repeating.get();
    run(PlayerScripts::setRepeating(track.get()->source, repeating.get()), ignore);
}

bool NowPlayingService::canFavorite() const {
    return track.get() && track.get()->source == PlayerSource::music && scriptHost_ &&
           scriptHost_->supportsFavorites();
}

void NowPlayingService::toggleFavorite() {
    if (!canFavorite() || !isRunning(track.get()->source)) return;
    ++favoriteToggles_;
    favorited = !favorited.get();
    run(PlayerScripts::musicFavorite(favorited.get()), ignore);
}

void NowPlayingService::openPlayer() {
    if (!track.get() || !workspace_) return;
    if (const auto location = workspace_->applicationLocation(std::string(rawValue(track.get()->source)))) {
        workspace_->openApplication(*location);
    }
}

}  // namespace quorlix
