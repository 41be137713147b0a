#include "platform/main_queue.h"

#include <cassert>
#include <cmath>

namespace quorlix::platform {

void Job::run() {
    if (cancelled.load()) return;
    finished = true;
    // The body may drop the last handle on this job; keep the function alive while it runs.
    auto fn = std::move(body);
    body = nullptr;
    if (fn) fn();
}

void Job::cancel() {
    if (cancelled.exchange(true) || finished.load()) return;
    if (auto give = std::move(release)) {
        release = nullptr;
        give();
    }
}

namespace {
MainQueue* installedQueue = nullptr;
}

void MainQueue::post(std::function<void()> fn) {
    schedule(0, std::make_shared<Job>(std::move(fn)));
}

WorkItem MainQueue::async(std::function<void()> fn) {
    auto job = std::make_shared<Job>(std::move(fn));
    schedule(0, job);
    return WorkItem(job);
}

WorkItem MainQueue::after(double seconds, std::function<void()> fn) {
    if (!(seconds > 0) || std::isnan(seconds)) seconds = 0;
    auto job = std::make_shared<Job>(std::move(fn));
    schedule(seconds, job);
    return WorkItem(job);
}

WorkItem MainQueue::afterUptime(double seconds, std::function<void()> fn) {
    auto job = std::make_shared<Job>(std::move(fn));
    if (!(seconds > 0) || std::isnan(seconds))
        schedule(0, job);
    else
        scheduleUptime(seconds, job);
    return WorkItem(job);
}

MainQueue& MainQueue::shared() {
    assert(installedQueue && "MainQueue::shared() used before a queue was installed");
    return *installedQueue;
}

MainQueue* MainQueue::installed() { return installedQueue; }

void MainQueue::install(MainQueue* queue) { installedQueue = queue; }

}  // namespace quorlix::platform
