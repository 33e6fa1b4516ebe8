// Checks that the engine does not pass yet, each turned on by its name in
// FENK_FUZZ_STRICT (say "links,fifos"): without them a run would stop at the first
// such input every time and find nothing else.
#pragma once

#include <stdlib.h>
#include <string.h>

namespace fuzz {

inline bool strict(const char *check)
{
    const char *names = getenv("FENK_FUZZ_STRICT");
    return names && strstr(names, check);
}

} // namespace fuzz
