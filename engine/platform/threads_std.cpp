// Locks, threads and wake-ups from the C++ library.
#include "platform/threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

struct s_fenklock {
    std::recursive_mutex mutex;
};

s_fenklock *fenk_lock_create(void) { return new (std::nothrow) s_fenklock; }

void fenk_lock_take(s_fenklock *lock) { lock->mutex.lock(); }

void fenk_lock_give(s_fenklock *lock) { lock->mutex.unlock(); }

struct s_fenkthread {
    std::thread thread;
};

s_fenkthread *fenk_thread_start(void (*run)(void *), void *arg)
{
    s_fenkthread *thread = new (std::nothrow) s_fenkthread;
    if (!thread) return nullptr;
    try {
        thread->thread = std::thread(run, arg);
    } catch (...) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void fenk_thread_join(s_fenkthread *thread)
{
    thread->thread.join();
    delete thread;
}

struct s_fenkwake {
    std::mutex mutex;
    std::condition_variable changed;
    bool raised = false;
};

s_fenkwake *fenk_wake_create(void) { return new (std::nothrow) s_fenkwake; }

void fenk_wake_destroy(s_fenkwake *wake) { delete wake; }

void fenk_wake_raise(s_fenkwake *wake)
{
    {
        std::lock_guard<std::mutex> hold(wake->mutex);
        wake->raised = true;
    }
    wake->changed.notify_all();
}

int fenk_wake_sleep(s_fenkwake *wake, int64_t nanoseconds)
{
    std::unique_lock<std::mutex> hold(wake->mutex);
    if (nanoseconds <= 0) return wake->raised;
    return wake->changed.wait_for(hold, std::chrono::nanoseconds(nanoseconds),
                                  [wake] { return wake->raised; });
}
