// Locks, threads and wake-ups from the Win32 API: a critical section (recursive by
// nature), CreateThread, and a manual-reset event.
#include "platform/threads.h"

#include <windows.h>

#include <new>

struct s_fenklock {
    CRITICAL_SECTION section;
};

s_fenklock *fenk_lock_create(void)
{
    s_fenklock *lock = new (std::nothrow) s_fenklock;
    if (lock) InitializeCriticalSection(&lock->section);
    return lock;
}

void fenk_lock_take(s_fenklock *lock) { EnterCriticalSection(&lock->section); }

void fenk_lock_give(s_fenklock *lock) { LeaveCriticalSection(&lock->section); }

struct s_fenkthread {
    HANDLE handle;
    void (*run)(void *);
    void *arg;
};

static DWORD WINAPI threadentry(LPVOID param)
{
    s_fenkthread *thread = static_cast<s_fenkthread *>(param);
    thread->run(thread->arg);
    return 0;
}

s_fenkthread *fenk_thread_start(void (*run)(void *), void *arg)
{
    s_fenkthread *thread = new (std::nothrow) s_fenkthread{nullptr, run, arg};
    if (!thread) return nullptr;
    thread->handle = CreateThread(nullptr, 0, threadentry, thread, 0, nullptr);
    if (!thread->handle) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void fenk_thread_join(s_fenkthread *thread)
{
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    delete thread;
}

struct s_fenkwake {
    HANDLE event;
};

s_fenkwake *fenk_wake_create(void)
{
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) return nullptr;
    s_fenkwake *wake = new (std::nothrow) s_fenkwake{event};
    if (!wake) CloseHandle(event);
    return wake;
}

void fenk_wake_destroy(s_fenkwake *wake)
{
    CloseHandle(wake->event);
    delete wake;
}

void fenk_wake_raise(s_fenkwake *wake) { SetEvent(wake->event); }

int fenk_wake_sleep(s_fenkwake *wake, int64_t nanoseconds)
{
    // Whole milliseconds, rounded up: waking early would only make the caller sleep again.
    DWORD ms = 0;
    if (nanoseconds > 0) {
        const int64_t wanted = (nanoseconds + 999999) / 1000000;
        ms = wanted >= (int64_t)INFINITE ? INFINITE - 1 : (DWORD)wanted;
    }
    return WaitForSingleObject(wake->event, ms) == WAIT_OBJECT_0;
}
