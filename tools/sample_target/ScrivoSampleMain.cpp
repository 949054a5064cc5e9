// A stand-in for the target application: a real process that idles until it is told to stop, so
// discovery finds it in /proc and the data dump has a known stack to sample.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace {

std::atomic<bool> g_stopRequested{false};

void requestStop(int) { g_stopRequested.store(true); }

void napBriefly()
{
    timespec pause{0, 50 * 1000 * 1000};
    nanosleep(&pause, nullptr);
}

}  // namespace

// The two idle functions keep C linkage and stay out of line: the data-dump tests look for these
// exact names on the stacks of the two threads.
extern "C" __attribute__((noinline)) void ScrivoSampleWorkerLoop()
{
    while (!g_stopRequested.load()) napBriefly();
    asm volatile("");  // keeps the call frame from being folded into the caller
}

extern "C" __attribute__((noinline)) void ScrivoSampleIdleLoop()
{
    while (!g_stopRequested.load()) napBriefly();
    asm volatile("");
}

int main()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    std::thread worker([] {
        pthread_setname_np(pthread_self(), "scrivo-worker");
        ScrivoSampleWorkerLoop();
    });
    ScrivoSampleIdleLoop();
    worker.join();
    return 0;
}
