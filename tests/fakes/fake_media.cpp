#include "fakes/fake_media.h"

#include "platform/main_queue.h"

#include <algorithm>
#include <fstream>

namespace quorlix::fakes {

std::optional<platform::ScriptValue> FakeScriptHost::execute(const std::string& source, double timeLimit) {
    {
        std::lock_guard lock(mutex_);
        executed_.push_back(source);
    }
    if (handler) return handler(source, timeLimit);
    const auto it = replies.find(source);
    return it == replies.end() ? std::nullopt : it->second;
}

platform::ScriptOutcome FakeScriptHost::run(const std::string& source, double timeLimit) {
    const auto it = errors.find(source);
    if (it == errors.end()) return {execute(source, timeLimit), std::nullopt};
    std::lock_guard lock(mutex_);
    executed_.push_back(source);
    return {std::nullopt, it->second};
}

std::vector<std::string> FakeScriptHost::executed() const {
    std::lock_guard lock(mutex_);
    return executed_;
}

int FakeScriptHost::count(const std::string& source) const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count(executed_.begin(), executed_.end(), source));
}

void FakeScriptHost::clearExecuted() {
    std::lock_guard lock(mutex_);
    executed_.clear();
}

Subscription FakePlayerNotifications::observe(
    const std::string& name, std::function<void(const platform::NotificationInfo&)> handler) {
    auto& signal = signals_[name];
    if (!signal) signal = std::make_unique<Signal<platform::NotificationInfo>>();
    return signal->connect(std::move(handler));
}

void FakePlayerNotifications::post(const std::string& name, const platform::NotificationInfo& info) {
    const auto it = signals_.find(name);
    if (it != signals_.end()) it->second->emit(info);
}

std::size_t FakePlayerNotifications::observerCount(const std::string& name) const {
    const auto it = signals_.find(name);
    return it == signals_.end() ? 0 : it->second->subscriberCount();
}

void FakeWorkspace::terminate(const std::optional<std::string>& bundleIdentifier) {
    if (bundleIdentifier) running.erase(*bundleIdentifier);
    terminated_.emit(bundleIdentifier);
}

Subscription FakeWorkspace::onApplicationTerminated(
    std::function<void(const std::optional<std::string>&)> handler) {
    return terminated_.connect(std::move(handler));
}

std::optional<std::string> FakeWorkspace::applicationLocation(const std::string& bundleIdentifier) const {
    const auto it = locations.find(bundleIdentifier);
    if (it == locations.end()) return std::nullopt;
    return it->second;
}

std::optional<platform::Image> FakeWorkspace::icon(const std::string& location) const {
    const auto it = icons.find(location);
    if (it == icons.end()) return std::nullopt;
    return it->second;
}

namespace {

// A delivery of a result that the test sets, and the handle on it.
std::pair<std::shared_ptr<platform::Job>, std::shared_ptr<std::optional<platform::Image>>> delivery(
    std::function<void(std::optional<platform::Image>)> done) {
    auto result = std::make_shared<std::optional<platform::Image>>();
    auto job =
        std::make_shared<platform::Job>([result, done = std::move(done)] { done(std::move(*result)); });
    return {job, result};
}

}  // namespace

platform::WorkItem FakeWorkspace::fileIcon(const std::string& path,
                                           std::function<void(std::optional<platform::Image>)> done) {
    auto [job, result] = delivery(std::move(done));
    iconRequests.push_back({path, job, result});
    return platform::WorkItem(job);
}

std::size_t FakeWorkspace::answerFileIcons(const std::string& withheld) {
    std::size_t answered = 0;
    // By index: an answer may ask for more.
    for (std::size_t i = 0; i < iconRequests.size(); ++i) {
        const auto request = iconRequests[i];
        if (request.path == withheld || request.delivery->finished || request.delivery->cancelled) continue;
        if (const auto it = fileIcons.find(request.path); it != fileIcons.end()) *request.result = it->second;
        request.delivery->run();
        ++answered;
    }
    return answered;
}

platform::WorkItem FakeWorkspace::thumbnail(const std::string& path, Size size, double scale,
                                            std::function<void(std::optional<platform::Image>)> done) {
    auto [job, result] = delivery(std::move(done));
    thumbnailRequests.push_back({path, size, scale, job, result});
    return platform::WorkItem(job);
}

void FakeWorkspace::answerThumbnail(std::size_t index, std::optional<platform::Image> image) {
    auto& request = thumbnailRequests.at(index);
    *request.result = std::move(image);
    auto delivery = request.delivery;  // the answer may ask for more
    delivery->run();
}

bool FakeWorkspace::isThumbnailWanted(std::size_t index) const {
    const auto& delivery = *thumbnailRequests.at(index).delivery;
    return !delivery.cancelled && !delivery.finished;
}

std::optional<platform::Image> FakeImageDecoder::decode(std::string_view bytes,
                                                        const platform::ImageLimits& limits) {
    ++decodedInPlace;
    limitsSeen.push_back(limits);
    if (bytes.size() > limits.maxBytes) return std::nullopt;
    const auto it = images.find(std::string(bytes));
    if (it == images.end()) return std::nullopt;
    const auto& image = it->second;
    if (static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) > limits.maxPixels) {
        return std::nullopt;
    }
    return image;
}

platform::WorkItem FakeImageDecoder::decodeDetached(std::string bytes, platform::ImageLimits limits,
                                                    Finish finish) {
    // Its body is the result's hand-over, set once the decode is done.
    auto delivery = std::make_shared<platform::Job>(nullptr);
    detached.push_back({std::move(bytes), limits, std::move(finish), delivery, false});
    if (!holdDetached) finishDetached(detached.size() - 1);
    return platform::WorkItem(delivery);
}

void FakeImageDecoder::finishDetached(std::size_t index) {
    auto& request = detached.at(index);
    if (request.finished) return;
    request.finished = true;
    auto image = decode(request.bytes, request.limits);
    --decodedInPlace;  // it stands for the decode on a thread of its own
    auto handOver = request.finish(std::move(image));
    const auto delivery = request.delivery.lock();
    if (!handOver || !delivery) return;
    delivery->body = std::move(handOver);
    platform::MainQueue::shared().post([weak = request.delivery] {
        if (const auto delivery = weak.lock()) delivery->run();
    });
}

bool FakeImageDecoder::isDetachedWanted(std::size_t index) const {
    const auto delivery = detached.at(index).delivery.lock();
    return delivery && !delivery->cancelled;
}

platform::Image FakeImageDecoder::solid(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                        std::uint8_t a) {
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    return *platform::Image::fromRGBA(width, height, std::move(pixels));
}

platform::HttpTask FakeHttpClient::get(platform::HttpRequest request,
                                       std::function<void(platform::HttpResult)> done) {
    requests.push_back({std::move(request), std::move(done), false});
    return platform::HttpTask([this, alive = std::weak_ptr<char>(alive_), index = requests.size() - 1] {
        if (!alive.expired() && !requests[index].answered) requests[index].cancelled = true;
    });
}

void FakeHttpClient::respond(std::size_t index, int status, std::string body) {
    auto& r = requests.at(index);
    r.answered = true;
    if (r.cancelled) return;  // a cancelled transfer answers no one
    auto done = r.done;       // the callback may add requests
    done(platform::HttpResult::success(status, std::move(body)));
}

void FakeHttpClient::fail(std::size_t index, std::string reason) {
    auto& r = requests.at(index);
    r.answered = true;
    if (r.cancelled) return;
    auto done = r.done;
    done(platform::HttpResult::failure(std::move(reason)));
}

platform::HttpTask FakeHttpClient::download(platform::HttpDownloadRequest request,
                                            std::function<void(platform::HttpDownloadResult)> done) {
    downloads.push_back({std::move(request), std::move(done), false});
    return platform::HttpTask([this, alive = std::weak_ptr<char>(alive_), index = downloads.size() - 1] {
        if (!alive.expired() && !downloads[index].answered) downloads[index].cancelled = true;
    });
}

void FakeHttpClient::deliver(std::size_t index, int status, const std::string& body) {
    auto& d = downloads.at(index);
    d.answered = true;
    if (d.cancelled) return;
    auto done = d.done;
    std::ofstream out(d.request.destination, std::ios::binary);
    out << body;
    out.close();
    done(out ? platform::HttpDownloadResult::success(status)
             : platform::HttpDownloadResult::failure("no se pudo escribir"));
}

void FakeHttpClient::failDownload(std::size_t index, std::string reason, bool tooLarge) {
    auto& d = downloads.at(index);
    d.answered = true;
    if (d.cancelled) return;
    auto done = d.done;
    done(platform::HttpDownloadResult::failure(std::move(reason), tooLarge));
}

std::size_t FakeHttpClient::pendingCount() const {
    return static_cast<std::size_t>(std::count_if(
        requests.begin(), requests.end(), [](const Request& r) { return !r.answered && !r.cancelled; }));
}

}  // namespace quorlix::fakes
