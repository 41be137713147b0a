// The now-playing service's artwork: Music hands over the picture's bytes through a script
// (or, for a picture it does not hold, its address), Spotify only an address; addresses are
// downloaded. The lookup starts once the track has stayed current for the settle time, and a
// result is used only while its request is still the latest, so a late picture never
// replaces the next track's (even when both tracks carry the same id). Pictures are decoded
// off the main thread, no larger than they are drawn, and their colour taken there: a cover of
// several megabytes would otherwise hold the main thread for most of a second.

#include "services/artwork.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"

namespace quorlix {

bool NowPlayingService::isCurrent(std::uint64_t request) const {
    return track.get() && request == artworkRequest_;
}

void NowPlayingService::fetchArtwork(const Track& forTrack) {
    forgetArtworkLookup();
    const std::uint64_t request = artworkRequest_;
    const PlayerSource source = forTrack.source;
    artworkWork_ = platform::MainQueue::shared().after(lookupSettleTime, [this, request, source] {
        if (source == PlayerSource::music) {
            fetchMusicArtwork(request, true);
            return;
        }
        run(PlayerScripts::spotifyArtworkURL(), [this, request](std::optional<platform::ScriptValue> result) {
            if (const auto address = result ? result->stringValue() : std::nullopt)
                downloadArtwork(request, *address);
        });
    });
}

void NowPlayingService::forgetArtworkLookup() {
    ++artworkRequest_;
    artworkWork_.cancel();
    artworkDownload_.cancel();
    artworkDecode_.cancel();
}

void NowPlayingService::downloadArtwork(std::uint64_t request, const std::string& address) {
    // Plain "http" and anything that is not an address give no artwork; nor does a picture
    // nothing could decode.
    if (!Artwork::isHTTPSAddress(address) || !isCurrent(request) || !imageDecoder_) return;
    auto done = [this, request](std::optional<std::string> body) {
        if (body && isCurrent(request)) decodeArtwork(request, std::move(*body));
    };
    artworkDownload_ = Artwork::download(http_, address, lifetime_.guard(std::move(done)));
}

void NowPlayingService::decodeArtwork(std::uint64_t request, std::string bytes,
                                      std::function<void()> otherwise) {
    const int side = Artwork::drawnSide(screens_ ? screens_->screens() : std::vector<platform::Screen>{});
    auto done = [this, request, otherwise = std::move(otherwise)](std::optional<Artwork::Picture> picture) {
        if (!isCurrent(request)) return;
        if (picture) {
            setArtwork(std::move(*picture));
        } else if (otherwise) {
            otherwise();
        }
    };
    artworkDecode_ = Artwork::decode(imageDecoder_, std::move(bytes), side, lifetime_.guard(std::move(done)));
}

void NowPlayingService::fetchMusicArtwork(std::uint64_t request, bool raw) {
    const std::string script = raw ? PlayerScripts::musicArtworkRawData() : PlayerScripts::musicArtworkData();
    run(script, [this, request, raw](std::optional<platform::ScriptValue> result) {
        // A stale result ends here, without the fallback.
        if (!isCurrent(request)) return;
        // A picture the player only links to.
        const auto address = result ? result->stringValue() : std::nullopt;
        if (address && Artwork::isHTTPSAddress(*address)) {
            downloadArtwork(request, *address);
            return;
        }
        const auto bytes = result ? result->data() : std::nullopt;
        const auto fallBack = [this, request, raw] {
            if (raw) fetchMusicArtwork(request, false);
        };
        if (bytes && imageDecoder_) {
            decodeArtwork(request, std::string(bytes->begin(), bytes->end()), fallBack);
            return;
        }
        fallBack();
    });
}

void NowPlayingService::setArtwork(Artwork::Picture picture) {
    artwork = std::move(picture.image);
    accentColor = picture.color.value_or(white);
}

}  // namespace quorlix
