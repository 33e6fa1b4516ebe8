// Leak checking in the sanitizer builds: the window system's libraries keep a few
// one-time allocations to the end of the process (the D-Bus state SDL opens at
// start-up, the GL driver's once-only tables, freed with the driver unloaded),
// which no host code can give back. The host's own allocations stay checked.
extern "C" const char *__lsan_default_suppressions(void)
{
    return "leak:libdbus-1.so\n"
           "leak:libGLX_mesa.so\n";
}

// The driver is unloaded by the time leaks are reported: only the slow unwinder
// walks its frames out to the library that loaded it, which the list above names.
extern "C" const char *__asan_default_options(void) { return "fast_unwind_on_malloc=0"; }
