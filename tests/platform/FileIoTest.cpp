// A signal that arrives while a read or a write waits (a timer, a terminal resize, a debugger)
// must not end the call early: the waiting call goes on and finishes its work.
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace mirabel {

namespace {

std::atomic<int> g_signalsSeen{0};

extern "C" void CountSignal(int) {
    ++g_signalsSeen;
}

// SIGUSR1 with a handler and without SA_RESTART: a waiting read or write returns EINTR.
class InterruptingSignal {
  public:
    InterruptingSignal() {
        struct sigaction action {};
        action.sa_handler = CountSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGUSR1, &action, &previous_);
    }
    ~InterruptingSignal() { sigaction(SIGUSR1, &previous_, nullptr); }

  private:
    struct sigaction previous_ {};
};

void FillPipe(int writeEnd) {
    const int flags = fcntl(writeEnd, F_GETFL);
    fcntl(writeEnd, F_SETFL, flags | O_NONBLOCK);
    const std::string block(65536, 'f');
    while (write(writeEnd, block.data(), block.size()) > 0) {
    }
    fcntl(writeEnd, F_SETFL, flags);
}

// One read makes room; a second could wait for bytes that never come.
void MakeRoom(int readEnd) {
    char buffer[65536];
    (void)!read(readEnd, buffer, sizeof buffer);
}

TEST(FileIo, ReadsAndWritesGoOnWhenASignalInterruptsThem) {
    const struct {
        const char* name;
        std::function<void(int readEnd, int writeEnd)> prepare;
        std::function<bool(int readEnd, int writeEnd)> waitingCall;
        std::function<void(int readEnd, int writeEnd)> release;
    } cases[] = {
        {"read", [](int, int) {},
         [](int r, int) {
             char c = 0;
             const SystemResult<std::size_t> got = ReadSome(r, &c, 1);
             return got && *got == 1 && c == 'x';
         },
         [](int, int w) { (void)!write(w, "x", 1); }},
        {"write", [](int, int w) { FillPipe(w); },
         [](int, int w) { return WriteAll(w, "the rest").ok(); }, [](int r, int) { MakeRoom(r); }},
    };
    const InterruptingSignal signal;
    for (const auto& c : cases) {
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        c.prepare(ends[0], ends[1]);
        const int signalsBefore = g_signalsSeen;
        const pthread_t waiter = pthread_self();
        std::thread interrupter([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pthread_kill(waiter, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            c.release(ends[0], ends[1]);
        });
        EXPECT_TRUE(c.waitingCall(ends[0], ends[1])) << c.name;
        interrupter.join();
        EXPECT_GT(g_signalsSeen, signalsBefore) << c.name;
        close(ends[0]);
        close(ends[1]);
    }
}

}  // namespace

}  // namespace mirabel
