/* The POSIX directory-reading calls for Windows, over the runtime library's
 * find-file calls. Stands in for <dirent.h>, which the Windows runtime lacks. */
#ifndef FENK_FILES_DIRENT_H
#define FENK_FILES_DIRENT_H

#include <io.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct dirent {
    char *d_name;               /* points into the find data of its DIR */
};

typedef struct DIR {
    intptr_t handle;            /* from _findfirst; -1 while no search is open */
    struct _finddata_t info;    /* the current entry */
    struct dirent result;       /* d_name is null until the first readdir */
    char *pattern;              /* the name followed by "/" and "*", or by "*" alone after a separator */
} DIR;

DIR *opendir(const char *name);
struct dirent *readdir(DIR *dir);
int closedir(DIR *dir);
void rewinddir(DIR *dir);

#ifdef __cplusplus
}
#endif

#endif
