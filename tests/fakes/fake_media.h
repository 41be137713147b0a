#pragma once
// Fakes of the media backends: a scripted script host, player notifications the test posts,
// a workspace the test fills, an image decoder that knows a few byte strings, and an HTTP
// client whose requests the test answers.

#include "platform/http_client.h"
#include "platform/image_decoder.h"
#include "platform/player_notifications.h"
#include "platform/script_host.h"
#include "platform/workspace.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorlix::fakes {

// Answers scripts from `replies` (exact text to result; anything else gives nothing), or
// from `handler` when set. Records every script it runs, in order. Thread-safe.
class FakeScriptHost final : public platform::ScriptHost {
public:
    std::map<std::string, std::optional<platform::ScriptValue>> replies;
    std::function<std::optional<platform::ScriptValue>(const std::string& source, double timeLimit)> handler;
    // Scripts that end in an error, by exact text, with the error's message (`run` only).
    std::map<std::string, std::string> errors;

    std::optional<platform::ScriptValue> execute(const std::string& source, double timeLimit) override;
    platform::ScriptOutcome run(const std::string& source, double timeLimit) override;
    // Whether the favourite scripts count (false: as on a host without favourites).
    bool favorites = true;
    bool supportsFavorites() const override { return favorites; }

    std::vector<std::string> executed() const;
    // How many times exactly `source` ran.
    int count(const std::string& source) const;
    void clearExecuted();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> executed_;
};

class FakePlayerNotifications final : public platform::PlayerNotifications {
public:
    Subscription observe(const std::string& name,
                         std::function<void(const platform::NotificationInfo&)> handler) override;
    // Delivers a notification at once, as the main queue would.
    void post(const std::string& name, const platform::NotificationInfo& info);
    std::size_t observerCount(const std::string& name) const;

private:
    std::map<std::string, std::unique_ptr<Signal<platform::NotificationInfo>>> signals_;
};

class FakeWorkspace final : public platform::Workspace {
public:
    std::set<std::string> running;
    std::map<std::string, std::string> locations;  // identifier -> location
    std::map<std::string, platform::Image> icons;  // location -> icon
    std::optional<platform::RunningApplication> frontmost;
    std::vector<std::string> opened;                   // locations, in order
    std::map<std::string, platform::Image> fileIcons;  // path -> icon, once asked and answered
    std::vector<std::string> openedFiles;              // in order
    std::vector<std::string> openedURLs;               // in order
    std::vector<std::vector<std::string>> revealed;    // each call's paths, in order
    // Thumbnails asked for, in order, until the test answers them.
    struct ThumbnailRequest {
        std::string path;
        Size size;
        double scale = 0;
        std::shared_ptr<platform::Job> delivery;
        std::shared_ptr<std::optional<platform::Image>> result;
    };
    std::vector<ThumbnailRequest> thumbnailRequests;
    // Icons asked for, in order, until the test answers them.
    struct IconRequest {
        std::string path;
        std::shared_ptr<platform::Job> delivery;
        std::shared_ptr<std::optional<platform::Image>> result;
    };
    std::vector<IconRequest> iconRequests;

    // The application quits: it stops running and observers hear of it.
    void terminate(const std::optional<std::string>& bundleIdentifier);

    Subscription onApplicationTerminated(
        std::function<void(const std::optional<std::string>&)> handler) override;
    bool isRunning(const std::string& bundleIdentifier) const override {
        return running.count(bundleIdentifier) != 0;
    }
    std::optional<platform::RunningApplication> frontmostApplication() const override { return frontmost; }
    std::optional<std::string> applicationLocation(const std::string& bundleIdentifier) const override;
    void openApplication(const std::string& location) override { opened.push_back(location); }
    std::optional<platform::Image> icon(const std::string& location) const override;
    platform::WorkItem fileIcon(const std::string& path,
                                std::function<void(std::optional<platform::Image>)> done) override;
    void openFile(const std::string& path) override { openedFiles.push_back(path); }
    void activateFileViewerSelecting(const std::vector<std::string>& paths) override {
        revealed.push_back(paths);
    }
    platform::WorkItem thumbnail(const std::string& path, Size size, double scale,
                                 std::function<void(std::optional<platform::Image>)> done) override;

    // Answers thumbnail request `index` at once (nothing: the file has none), unless its
    // handle was given up.
    void answerThumbnail(std::size_t index, std::optional<platform::Image> image);
    // Whether whoever asked still waits for request `index`.
    bool isThumbnailWanted(std::size_t index) const;
    // Answers the icon requests not answered yet, from `fileIcons`, in order, except those
    // for `withheld` (a file whose reading hangs); how many it answered.
    std::size_t answerFileIcons(const std::string& withheld = {});
    void openURL(const std::string& url) override { openedURLs.push_back(url); }

private:
    Signal<std::optional<std::string>> terminated_;
};

// Decodes the byte strings it was given pictures for, within the limits asked. A decode apart
// runs at once, on the calling thread, and hands its result over through the main queue;
// with `holdDetached` it waits until the test finishes it, in any order.
class FakeImageDecoder final : public platform::ImageDecoder {
public:
    std::map<std::string, platform::Image> images;
    // Every decode's limits, in order, apart or not.
    std::vector<platform::ImageLimits> limitsSeen;
    // Decodes made in place, on the caller's thread (`decode`).
    int decodedInPlace = 0;

    struct Detached {
        std::string bytes;
        platform::ImageLimits limits;
        Finish finish;
        std::weak_ptr<platform::Job> delivery;
        bool finished = false;
    };
    std::vector<Detached> detached;
    bool holdDetached = false;

    std::optional<platform::Image> decode(std::string_view bytes,
                                          const platform::ImageLimits& limits) override;
    platform::WorkItem decodeDetached(std::string bytes, platform::ImageLimits limits,
                                      Finish finish) override;
    // Decodes held request `index` and posts its result to the main queue, where it reaches
    // whoever asked only if they still wait for it (as a decode already under way does).
    void finishDetached(std::size_t index);
    // Whether whoever asked still waits for request `index`.
    bool isDetachedWanted(std::size_t index) const;

    // A picture of one colour (RGBA bytes).
    static platform::Image solid(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                 std::uint8_t a = 255);
};

// Keeps every request until the test answers it.
class FakeHttpClient final : public platform::HttpClient {
public:
    struct Request {
        platform::HttpRequest request;
        std::function<void(platform::HttpResult)> done;
        bool answered = false;
        // Its handle was cancelled: an answer reaches no one.
        bool cancelled = false;
    };
    std::vector<Request> requests;
    struct Download {
        platform::HttpDownloadRequest request;
        std::function<void(platform::HttpDownloadResult)> done;
        bool answered = false;
        bool cancelled = false;
    };
    std::vector<Download> downloads;

    platform::HttpTask get(platform::HttpRequest request,
                           std::function<void(platform::HttpResult)> done) override;
    platform::HttpTask download(platform::HttpDownloadRequest request,
                                std::function<void(platform::HttpDownloadResult)> done) override;

    // Answers request `index` (at once, as the main queue would deliver it); a cancelled one
    // answers no one.
    void respond(std::size_t index, int status, std::string body = {});
    void fail(std::size_t index, std::string reason = "sin conexión");
    // Requests neither answered nor cancelled.
    std::size_t pendingCount() const;

    // Writes `body` to download `index`'s file and answers it with `status`.
    void deliver(std::size_t index, int status, const std::string& body);
    void failDownload(std::size_t index, std::string reason = "sin conexión", bool tooLarge = false);

private:
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace quorlix::fakes
