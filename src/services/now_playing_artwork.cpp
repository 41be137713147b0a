// The now-playing service's artwork: Music hands over the picture's bytes through a script
// (or, for a picture it does not hold, its address), Spotify only an address; addresses are
// downloaded. The lookup starts once the track has stayed current for the settle time, and a
// result is used only while its request is still the latest, so a late picture never
// replaces the next track's (even when both tracks carry the same id).

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
}

void NowPlayingService::downloadArtwork(std::uint64_t request, const std::string& address) {
    // Plain "http" and anything that is not an address give no artwork.
    if (!Artwork::isHTTPSAddress(address) || !isCurrent(request)) return;
    artworkDownload_ = Artwork::download(
        http_, imageDecoder_, address, lifetime_.guard([this, request](std::optional<platform::Image> image) {
            if (image && isCurrent(request)) setArtwork(std::move(*image));
        }));
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
        if (bytes && imageDecoder_) {
            const std::string_view view(reinterpret_cast<const char*>(bytes->data()), bytes->size());
            if (auto image = imageDecoder_->decode(view, Artwork::imageLimits)) {
                setArtwork(std::move(*image));
                return;
            }
        }
        if (raw) fetchMusicArtwork(request, false);
    });
}

void NowPlayingService::setArtwork(platform::Image image) {
    const auto color = Artwork::vibrantAverageColor(image);
    artwork = std::move(image);
    accentColor = color.value_or(white);
}

}  // namespace quorlix
