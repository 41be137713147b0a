// The now-playing service's artwork: Music hands over the picture's bytes through a script
// (or, for a picture it does not hold, its address), Spotify only an address; addresses are
// downloaded. A result is used only while its track is
// still the current one, so a late picture never replaces the next track's.

#include "services/artwork.h"
#include "services/now_playing_service.h"
#include "services/player_scripts.h"

namespace quorlix {

bool NowPlayingService::isCurrent(const std::string& trackID) const {
    return track.get() && track.get()->id == trackID;
}

void NowPlayingService::fetchArtwork(const Track& forTrack) {
    const std::string id = forTrack.id;
    if (forTrack.source == PlayerSource::music) {
        fetchMusicArtwork(id, true);
        return;
    }
    run(PlayerScripts::spotifyArtworkURL(), [this, id](std::optional<platform::ScriptValue> result) {
        if (const auto address = result ? result->stringValue() : std::nullopt) downloadArtwork(id, *address);
    });
}

void NowPlayingService::downloadArtwork(const std::string& trackID, const std::string& address) {
    // Plain "http" and anything that is not an address give no artwork.
    if (!Artwork::isHTTPSAddress(address) || !isCurrent(trackID)) return;
    Artwork::download(http_, imageDecoder_, address,
                      lifetime_.guard([this, trackID](std::optional<platform::Image> image) {
                          if (image && isCurrent(trackID)) setArtwork(std::move(*image));
                      }));
}

void NowPlayingService::fetchMusicArtwork(const std::string& trackID, bool raw) {
    const std::string script = raw ? PlayerScripts::musicArtworkRawData() : PlayerScripts::musicArtworkData();
    run(script, [this, trackID, raw](std::optional<platform::ScriptValue> result) {
        // A stale result ends here, without the fallback.
        if (!isCurrent(trackID)) return;
        // A picture the player only links to.
        const auto address = result ? result->stringValue() : std::nullopt;
        if (address && Artwork::isHTTPSAddress(*address)) {
            downloadArtwork(trackID, *address);
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
        if (raw) fetchMusicArtwork(trackID, false);
    });
}

void NowPlayingService::setArtwork(platform::Image image) {
    const auto color = Artwork::vibrantAverageColor(image);
    artwork = std::move(image);
    accentColor = color.value_or(white);
}

}  // namespace quorlix
