/* The POSIX directory-reading calls for Windows, over the runtime library's
 * find-file calls. Stands in for <dirent.h>, which the Windows runtime lacks. */
#ifndef FENK_FILES_DIRENT_H
#define FENK_FILES_DIRENT_H

#include <io.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>

#ifdef __cplusplus
extern "C" {
#endif

struct dirent {
    char *d_name; /* points into the find data of its DIR */
};

typedef struct DIR {
    intptr_t handle;         /* from _findfirst; -1 while no search is open */
    struct _finddata_t info; /* the current entry */
    struct dirent result;    /* d_name is null until the first readdir */
    char *pattern;           /* the name followed by "/" and "*", or by "*" alone after a separator */
} DIR;

DIR *opendir(const char *name);
struct dirent *readdir(DIR *dir);
int closedir(DIR *dir);
void rewinddir(DIR *dir);

/* readdir leaves out links (reparse points: symbolic links and junctions), so
 * the walk meets no link here and a link's own status is its target's. */
#ifndef S_ISLNK
#define S_ISLNK(mode) 0
#endif
#define lstat stat
/* Names a path without links, in memory the caller frees. */
static inline char *realpath(const char *path, char *resolved)
{
    return _fullpath(resolved, path, resolved ? _MAX_PATH : 0);
}

#ifdef __cplusplus
}
#endif

#endif
