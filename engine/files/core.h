/* The file layer: one data image (a directory tree) mounted below the working
 * directory, files opened by lower-cased name inside it, and a listing of its
 * current directory for file selectors. */
#ifndef FENK_FILES_CORE_H
#define FENK_FILES_CORE_H

#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Path buffers hold 255 characters and the terminating zero. */
#define COREFILE_PATHSIZE 256
#define COREFILE_MAXPATH (COREFILE_PATHSIZE - 1)
#define COREFILE_PATHNAMESIZE 1024
/* Subdirectories one listing can show, ".." included. */
#define COREFILE_MAXDIRS 256
/* The directory-image kind, the only one this layer mounts. */
#define COREFILE_MOUNT_DIRECTORY 2
#define COREFILE_MODE_WRITE 1

typedef struct s_coreimage {
    char *path; /* corefile_pathname followed by the image name */
    int32_t numfiles;
    char **names;   /* numfiles owned 256-byte buffers, in walk order */
    int32_t *sizes; /* each member's length in bytes */
} s_coreimage;

typedef struct s_corefile {
    FILE *stream;     /* null when the open failed */
    int32_t position; /* the record, not the stream, owns the position */
    int32_t size;
} s_corefile;

typedef struct s_direntry {
    char *name; /* display name: "[gfx]" for a directory */
    char *path; /* bare directory name, or the member's full path */
    int size;
    uint8_t isdir;
} s_direntry;

extern int32_t corefile_mounttype;
extern char corefile_pathname[COREFILE_PATHNAMESIZE];
extern s_coreimage corefile_image;
extern char *corefile_localpath;
extern s_direntry *corefile_filelist;
extern int corefile_numfiles;
extern char *corefile_dirnames[COREFILE_MAXDIRS];
extern int corefile_numdirs;

int corefile_mountimage(const char *name, int type);
void corefile_closeimage(void);
int corefile_gethash(const char *text);

int corefile_open(const char *name, s_corefile *file, int mode);
/* Why the last corefile_open on this thread failed, for the caller's refusal: the path
 * it tried and the cause ("data/a.tga: no such file", "...: permission denied", "...: no
 * such file; case differs from data/A.tga on disk ..."). Empty after an open that
 * succeeded. */
const char *corefile_lasterror(void);
void corefile_read(void *buffer, int size, int count, s_corefile *file);
void corefile_write(const void *data, int size, int count, s_corefile *file);
void corefile_seek(s_corefile *file, int offset, int origin);
void corefile_close(s_corefile *file);
void corefile_gets(char *buffer, int size, s_corefile *file);
int corefile_feof(s_corefile *file);
void corefile_rewind(s_corefile *file);
int corefile_tell(s_corefile *file);
int corefile_fsize(s_corefile *file);
void *corefile_loadbuffer(const char *name);
void corefile_savebuffer(const char *name, const void *data, int size);
void corefile_chdir(const char *dir);
const char *corefile_getpath(void);
void file_downcase(char *dst, const char *src, int length);

void corefile_readdir(const char *pattern);
void corefile_adddir(const char *name);

#ifdef __cplusplus
}
#endif

#endif
