// Words one thread writes while another reads them, without a lock: each is an
// aligned word read and written whole. Relaxed order unless the caller asks for the
// acquire/release pair that publishes what was written before.
#ifndef FENK_PLATFORM_SHARED_WORD_H
#define FENK_PLATFORM_SHARED_WORD_H

#include <type_traits>

template <typename T> inline T word_load(const T &word) { return __atomic_load_n(&word, __ATOMIC_RELAXED); }

template <typename T> inline void word_store(T &word, std::type_identity_t<T> value)
{
    __atomic_store_n(&word, value, __ATOMIC_RELAXED);
}

template <typename T> inline T word_load_acquire(const T &word)
{
    return __atomic_load_n(&word, __ATOMIC_ACQUIRE);
}

template <typename T> inline void word_store_release(T &word, std::type_identity_t<T> value)
{
    __atomic_store_n(&word, value, __ATOMIC_RELEASE);
}

#endif
