// One request at a time from any thread but main; tickets keep callers apart.
#include "hosts/sdl_requests.h"

#include "hosts/driver_sdl.h"

#include <SDL2/SDL.h>

namespace {

struct Requests {
    SDL_threadID mainthread;
    SDL_mutex *lock;
    SDL_cond *cond;
    void (*fn)(void *);
    void *arg;
    unsigned posted;
    unsigned done;
} requests;

} // namespace

void sdl_requests_start(void)
{
    requests.mainthread = SDL_ThreadID();
    requests.lock = SDL_CreateMutex();
    requests.cond = SDL_CreateCond();
}

void fenk_sdl_runonmain(void (*fn)(void *), void *arg)
{
    if (SDL_ThreadID() == requests.mainthread) {
        fn(arg);
        return;
    }
    SDL_LockMutex(requests.lock);
    while (requests.fn) SDL_CondWait(requests.cond, requests.lock);
    requests.fn = fn;
    requests.arg = arg;
    unsigned ticket = ++requests.posted;
    while (requests.done < ticket) SDL_CondWait(requests.cond, requests.lock);
    SDL_UnlockMutex(requests.lock);
}

int sdl_requests_run(void (*first)(void))
{
    SDL_LockMutex(requests.lock);
    void (*fn)(void *) = requests.fn;
    void *arg = requests.arg;
    SDL_UnlockMutex(requests.lock);
    if (!fn) return 0;
    first();
    fn(arg);
    SDL_LockMutex(requests.lock);
    requests.fn = NULL;
    requests.done++;
    SDL_CondBroadcast(requests.cond);
    SDL_UnlockMutex(requests.lock);
    return 1;
}
