#include "platform/exit_signals.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "platform/output_stage.h"
#include "platform/temp_files.h"

namespace vx {

void EndCleanlyOnSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    // Threads started later inherit the mask, so only the watcher ever takes the signals.
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return;
    std::thread([signals] {
        int taken = 0;
        while (sigwait(&signals, &taken) != 0) {
        }
        AbandonAllStagesForExit();
        RemoveAllTempFilesForExit();
        _exit(128 + taken);
    }).detach();
}

}  // namespace vx
