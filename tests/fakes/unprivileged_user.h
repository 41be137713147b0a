#pragma once
// Checks that must run without root's privileges (root reads and writes anything): run in a
// child process as the user "nobody" when this one is root, else here.

#include <sys/wait.h>
#include <unistd.h>

namespace quorlix::testing {

constexpr uid_t nobody = 65534;

// Runs `check` as a user without privileges and answers its result.
template <class Check>
bool asUnprivilegedUser(Check check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

}  // namespace quorlix::testing
