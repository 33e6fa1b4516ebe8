// A private folder per fuzzing process, for the targets whose reader takes a file
// name rather than bytes: the input is written there and the folder mounted.
#pragma once

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "../support/scratch.h"
#include "files/core.h"

namespace fuzz {

// Made once below $TMPDIR, removed at a clean exit (run.sh removes what a crash
// leaves); an absolute path, since the file layer's walk moves the working directory.
inline const std::string &scratch()
{
    static const ScratchFolder folder("fuzz");
    static const std::string path = folder.path().string();
    return path;
}

inline void put(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        perror(path.c_str());
        abort();
    }
    if (size && fwrite(data, 1, size, f) != size) abort();
    fclose(f);
}

// Mounts the scratch folder itself: the file layer puts its own prefix before the
// name, which is empty in these programs.
inline void mountscratch()
{
    corefile_pathname[0] = 0;
    if (!corefile_mountimage(scratch().c_str(), COREFILE_MOUNT_DIRECTORY)) abort();
}

} // namespace fuzz
