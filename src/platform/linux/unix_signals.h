#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a clean quit of the Qt event loop (a self-pipe read by a
// socket notifier, since almost nothing is safe inside a signal handler).

namespace quorlix::platform {

void quitOnTerminationSignals();
// A signal came before the event loop ran: quit instead of running it.
bool terminationRequested();

}  // namespace quorlix::platform
