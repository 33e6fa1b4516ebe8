// The POSIX directory-reading calls over _findfirst, _findnext and _findclose.
// The first entry arrives with _findfirst, so readdir only steps on from the second.
#include "dirent.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

// Windows' FILE_ATTRIBUTE_REPARSE_POINT, which the find data's attributes carry.
static const unsigned reparsepoint = 0x400;

DIR *opendir(const char *name)
{
    if (!name || !*name) {
        errno = EINVAL;
        return nullptr;
    }
    size_t length = strlen(name);
    char last = name[length - 1];
    const char *tail = last == '/' || last == '\\' ? "*" : "/*";
    char *pattern = (char *)malloc(length + strlen(tail) + 1);
    DIR *dir = (DIR *)malloc(sizeof *dir);
    if (!pattern || !dir) {
        free(pattern);
        free(dir);
        errno = ENOMEM;
        return nullptr;
    }
    memcpy(pattern, name, length);
    strcpy(pattern + length, tail);

    dir->pattern = pattern;
    dir->handle = _findfirst(pattern, &dir->info);
    if (dir->handle == -1) {
        // Keep the error number of the failed search.
        int error = errno;
        free(pattern);
        free(dir);
        errno = error;
        return nullptr;
    }
    dir->result.d_name = nullptr;
    return dir;
}

struct dirent *readdir(DIR *dir)
{
    if (!dir || dir->handle == -1) {
        errno = EBADF;
        return nullptr;
    }
    // Links are left out: the file layer's walk has no inode to tell a directory
    // met twice by, so a link back up the tree would make it walk for ever.
    do {
        if (dir->result.d_name && _findnext(dir->handle, &dir->info) == -1) return nullptr;
        dir->result.d_name = dir->info.name;
    } while (dir->info.attrib & reparsepoint);
    return &dir->result;
}

int closedir(DIR *dir)
{
    int result = -1;
    if (dir) {
        if (dir->handle != -1) result = _findclose(dir->handle);
        free(dir->pattern);
        free(dir);
    }
    if (result == -1) errno = EBADF;
    return result;
}

void rewinddir(DIR *dir)
{
    if (!dir || dir->handle == -1) {
        errno = EBADF;
        return;
    }
    _findclose(dir->handle);
    dir->handle = _findfirst(dir->pattern, &dir->info);
    dir->result.d_name = nullptr;
}
