// Locks, threads and wake-ups for the engine's own units. Two implementations, one
// per build: threads_std.cpp (the C++ library's) and threads_win32.cpp (the Win32
// API's). The Windows archive so needs no POSIX thread library, and a program links
// it with either of MinGW's thread models.
#ifndef FENK_PLATFORM_THREADS_H
#define FENK_PLATFORM_THREADS_H

#include <cstdint>

// A recursive lock: the thread that holds it may take it again.
struct s_fenklock;
s_fenklock *fenk_lock_create(void); // nullptr when out of memory
void fenk_lock_take(s_fenklock *lock);
void fenk_lock_give(s_fenklock *lock);

// A thread of its own running run(arg); nullptr when none can be made.
struct s_fenkthread;
s_fenkthread *fenk_thread_start(void (*run)(void *), void *arg);
void fenk_thread_join(s_fenkthread *thread); // waits for run to return, then frees it

// A flag a thread sleeps on: raised once, it stays raised.
struct s_fenkwake;
s_fenkwake *fenk_wake_create(void); // nullptr when out of memory
void fenk_wake_destroy(s_fenkwake *wake);
void fenk_wake_raise(s_fenkwake *wake);
// Sleeps at most `nanoseconds` (not at all when zero or less); 1 when raised.
int fenk_wake_sleep(s_fenkwake *wake, int64_t nanoseconds);

#endif
