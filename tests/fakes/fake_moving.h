#pragma once
// What moving the application uses, scripted: a trash that keeps what it is given in a
// folder of the test's own, alerts that are recorded and dismissed at once, and an instance
// that records whether it takes later launches and which program its entries name.
//
//     trash.folder = home / "trash";
//     trash.check = [](const auto& item) { return std::optional<std::string>("llena"); };  // refuses
//     ... alerts.shown.back().informativeText ...

#include "platform/alerts.h"
#include "platform/application_instance.h"
#include "platform/trash.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorlix::fakes {

class FakeTrash final : public platform::Trash {
public:
    // Where trashed items go, numbered in order; empty: they are only recorded.
    std::filesystem::path folder;
    // Runs before each item is trashed; an error it answers refuses the item.
    std::function<std::optional<std::string>(const std::filesystem::path&)> check;
    std::vector<std::filesystem::path> trashed;

    std::optional<std::string> moveToTrash(const std::filesystem::path& path) override;
    // Where the nth trashed item lies now.
    std::filesystem::path item(std::size_t n) const { return folder / std::to_string(n); }
};

class FakeAlerts final : public platform::Alerts {
public:
    std::vector<platform::Alert> shown;
    void runModal(const platform::Alert& alert) override { shown.push_back(alert); }
};

class FakeApplicationInstance final : public platform::ApplicationInstance {
public:
    bool takesLaunches = true;
    // "stop", "take", then "register <program>" for each call, in order.
    std::vector<std::string> calls;
    std::optional<std::string> registrationFailure;

    void stopTakingLaunches() override {
        takesLaunches = false;
        calls.push_back("stop");
    }
    void takeLaunches() override {
        takesLaunches = true;
        calls.push_back("take");
    }
    std::optional<std::string> registerProgram(const std::filesystem::path& program) override {
        calls.push_back("register " + program.string());
        return registrationFailure;
    }
};

}  // namespace quorlix::fakes
