#pragma once
// The swap that puts a staged application folder in place of the running one. It must run
// after the application has quit, so a small shell script does it: it waits for the process
// to end (giving up, with nothing swapped, when it outlives `exitWait`), moves the folder
// aside, copies the staged folder in, and on success removes the old one; when the copy
// fails it removes the partial copy and moves the old folder back; a failed move touches
// nothing. Then it removes the work folder and starts the program of the application folder,
// new or old, in a session of its own.
//
// The script's text is fixed; the paths reach it only as positional arguments, so no name
// (quotes, spaces, "$(...)", newlines) is ever read as shell code.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quorlix {

struct SwapPlan {
    std::int64_t processID = 0;
    std::filesystem::path application;
    std::filesystem::path staged;
    // Removed at the end, with the staged copy in it.
    std::filesystem::path workFolder;
    // Seconds to wait for the process to end.
    int exitWait = 60;
};

struct Swap {
    static constexpr const char* shell = "/bin/sh";
    static std::string_view script();
    // Where the old folder waits while the new one is copied in: the folder's path + ".old".
    static std::filesystem::path oldFolder(const std::filesystem::path& application);
    // The shell's arguments: "-c", the script, its name, then PID, APP, OLD, NEW, DIR and
    // the wait.
    static std::vector<std::string> arguments(const SwapPlan& plan);
};

}  // namespace quorlix
