// The file layer: the mounted data image, file access below it and the
// directory listing of its current directory.
#include "files/core.h"
#include "platform/log.h"
#include "platform/platform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

// Only a runtime with a text mode has O_BINARY, and only one with FIFOs needs
// O_NONBLOCK: where either is missing, 0 asks for nothing.
#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif

int32_t corefile_mounttype;
char corefile_pathname[COREFILE_PATHNAMESIZE];
s_coreimage corefile_image;
char *corefile_localpath;
s_direntry *corefile_filelist;
int corefile_numfiles;
char *corefile_dirnames[COREFILE_MAXDIRS];
int corefile_numdirs;

// State of the walk: the directory prefix below the image and the file just found.
static char curDir[COREFILE_PATHSIZE];
static int32_t diroffset;
static char curFile[COREFILE_PATHSIZE];

// Slots the recording pass may fill, so a tree that grows between the two
// passes cannot write past the name table.
static int32_t namecapacity;
static int filelistcapacity;

// Directories the current pass has walked, by device and inode, so that no
// directory is walked twice: two links to "." would otherwise make the walk
// visit 2^n paths. A platform that gives no inode (0) is not tracked; there the
// directory listing leaves links out itself.
struct WalkedDirectory {
    dev_t device;
    ino_t inode;
};
static WalkedDirectory *walked;
static size_t numwalked, walkedcapacity;
// The image directory with every link resolved, taken as each pass starts.
static char *imageroot;

static int readheader(void);
static void corefile_opendir(const char *path, int fill);
static void startwalk(void);
static void endwalk(void);

// Why the last open on this thread failed: the path and the cause, for the caller's
// own refusal. The layer prints no refusal of its own.
static thread_local char openfailure[2 * COREFILE_PATHSIZE + 96];

static void failed(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(openfailure, sizeof openfailure, format, args);
    va_end(args);
}

static char *copytext(const char *text)
{
    size_t n = strlen(text) + 1;
    char *copy = (char *)malloc(n);
    if (copy) memcpy(copy, text, n);
    return copy;
}

// Moves a position without wrapping: past the int range it sticks at the limit.
static int32_t advance(int32_t position, int64_t bytes)
{
    int64_t moved = (int64_t)position + bytes;
    if (moved > INT32_MAX) return INT32_MAX;
    if (moved < INT32_MIN) return INT32_MIN;
    return (int32_t)moved;
}

// The type is recorded as the directory kind whatever the caller passes: it is
// the only kind there is. A second mount releases the first image.
int corefile_mountimage(const char *name, int type)
{
    (void)type;
    if (!name) return 0;
    if (corefile_image.path) corefile_closeimage();

    fenk_log(FENK_LOG_INFO, "HELLO TEST");
    int prefix = (int)strnlen(corefile_pathname, sizeof corefile_pathname);
    size_t size = (size_t)prefix + strlen(name) + 1;
    char *path = (char *)malloc(size);
    if (!path) return 0;
    snprintf(path, size, "%.*s%s", prefix, corefile_pathname, name);
    fenk_log(FENK_LOG_INFO, "Init resources : %s\n", path);

    corefile_mounttype = COREFILE_MOUNT_DIRECTORY;
    corefile_image.path = path;
    return readheader();
}

static int readheader(void)
{
    memset(curDir, 0, sizeof curDir);
    memset(curFile, 0, sizeof curFile);
    diroffset = 0;
    corefile_image.numfiles = 0;
    fenk_log(FENK_LOG_INFO, "call opendir");
    startwalk();
    corefile_opendir(corefile_image.path, 0);
    fenk_log(FENK_LOG_INFO, "Found %d files\n", corefile_image.numfiles);

    int32_t counted = corefile_image.numfiles;
    size_t slots = counted > 0 ? (size_t)counted : 1;
    corefile_image.names = (char **)calloc(slots, sizeof(char *));
    corefile_image.sizes = (int32_t *)calloc(slots, sizeof(int32_t));
    namecapacity = corefile_image.names && corefile_image.sizes ? counted : 0;

    memset(curDir, 0, sizeof curDir);
    memset(curFile, 0, sizeof curFile);
    diroffset = 0;
    corefile_image.numfiles = 0;
    startwalk();
    corefile_opendir(corefile_image.path, 1);
    endwalk();

    // One entry per member plus "..": no listing can hold more.
    corefile_filelist = (s_direntry *)calloc((size_t)corefile_image.numfiles + 1, sizeof(s_direntry));
    filelistcapacity = corefile_filelist ? corefile_image.numfiles + 1 : 0;
    corefile_numfiles = 0;

    corefile_localpath = (char *)calloc(COREFILE_PATHSIZE, 1);
    if (corefile_localpath) strcpy(corefile_localpath, "/");
    return 1;
}

// True the first time a directory is met in this pass (and when the table
// cannot grow: walking again is better than losing members).
static int firstvisit(const struct stat *status)
{
    if (status->st_ino == 0) return 1;
    for (size_t i = 0; i < numwalked; i++) {
        if (walked[i].device == status->st_dev && walked[i].inode == status->st_ino) return 0;
    }
    if (numwalked == walkedcapacity) {
        size_t capacity = walkedcapacity ? walkedcapacity * 2 : 64;
        WalkedDirectory *grown = (WalkedDirectory *)realloc(walked, capacity * sizeof *walked);
        if (!grown) return 1;
        walked = grown;
        walkedcapacity = capacity;
    }
    walked[numwalked++] = {status->st_dev, status->st_ino};
    return 1;
}

// Called where the mount was made, which the image path is relative to.
static void startwalk(void)
{
    numwalked = 0;
    free(imageroot);
    imageroot = realpath(corefile_image.path, nullptr);
    struct stat status;
    if (stat(corefile_image.path, &status) == 0) firstvisit(&status);
}

static void endwalk(void)
{
    free(walked);
    walked = nullptr;
    numwalked = walkedcapacity = 0;
    free(imageroot);
    imageroot = nullptr;
}

// Links are followed, to files and directories alike, only while their target
// lies inside the image directory: a link to "/" or to a folder beside the image
// would make the table list (and the walk read) what is not part of the image.
// The name is relative to the working directory, which is the walk's level.
static int within(const char *target, const char *root)
{
    size_t length = strlen(root);
    // A root of "/" has its separator already.
    return !strncmp(target, root, length) &&
           (target[length] == '\0' || target[length] == '/' || target[length] == '\\' || length == 1);
}

static int insideimage(const char *name)
{
    if (!imageroot) return 0;
    char *target = realpath(name, nullptr);
    if (!target) return 0;
    int inside = within(target, imageroot);
    free(target);
    return inside;
}

// The working directory to come back to, or null when it cannot be read.
static char *savecwd(void)
{
    for (size_t size = 256; size <= 65536; size *= 2) {
        char *where = (char *)malloc(size);
        if (!where) return nullptr;
        if (getcwd(where, size)) return where;
        free(where);
        if (errno != ERANGE) return nullptr;
    }
    return nullptr;
}

static void recordfile(const char *name, const struct stat *status, int fill)
{
    size_t length = strlen(name);
    if ((size_t)diroffset + length > COREFILE_MAXPATH) {
        fenk_log(FENK_LOG_ERROR, "path too long: %.*s%s\n", (int)diroffset, curDir, name);
        return;
    }
    memcpy(curFile, curDir, (size_t)diroffset);
    memcpy(curFile + diroffset, name, length + 1);
    fenk_log(FENK_LOG_INFO, "found file: %s\n", curFile);

    if (fill) {
        int32_t index = corefile_image.numfiles;
        if (index >= namecapacity) return;
        char *copy = (char *)calloc(COREFILE_PATHSIZE, 1);
        if (!copy) return;
        memcpy(copy, curFile, COREFILE_PATHSIZE);
        corefile_image.names[index] = copy;
        corefile_image.sizes[index] = status->st_size > INT32_MAX ? INT32_MAX : (int32_t)status->st_size;
    }
    corefile_image.numfiles++;
}

// Names the directory as the image path and the walk's prefix give it, and why it
// could not be read (errno of the failed call).
static void unreadable(const char *path)
{
    const char *cause = strerror(errno);
    if (diroffset > 0)
        fenk_log(FENK_LOG_ERROR, "error reading directory %s/%.*s: %s\n", corefile_image.path,
                 (int)diroffset - 1, curDir, cause);
    else
        fenk_log(FENK_LOG_ERROR, "error reading directory %s: %s\n", path, cause);
}

// Each level returns to the directory it started in rather than to "..":
// after a symlinked directory or a multi-component image name ".." lands elsewhere.
static void corefile_opendir(const char *path, int fill)
{
    DIR *dir = opendir(path);
    if (!dir) {
        unreadable(path);
        return;
    }
    char *back = savecwd();
    fenk_logtext(FENK_LOG_INFO, "change path\n ");
    if (chdir(path) != 0) {
        // The entries could not be read by their bare names from here.
        unreadable(path);
        closedir(dir);
        free(back);
        return;
    }
    fenk_logtext(FENK_LOG_INFO, "reading dir\n ");

    struct dirent *entry;
    while ((entry = readdir(dir)) != nullptr) {
        const char *name = entry->d_name;
        fenk_log(FENK_LOG_INFO, "found: %s\n", name);
        struct stat status;
        if (!strcmp(name, ".") || !strcmp(name, "..") || lstat(name, &status) != 0) continue;
        // A link to nothing has no status to read and is skipped as such.
        if (S_ISLNK(status.st_mode)) {
            if (stat(name, &status) != 0) continue;
            if (!insideimage(name)) {
                fenk_log(FENK_LOG_ERROR, "link leaves the data directory: %.*s%s\n", (int)diroffset, curDir,
                         name);
                continue;
            }
        }
        if (!S_ISDIR(status.st_mode)) {
            recordfile(name, &status, fill);
            continue;
        }
        size_t length = strlen(name);
        // Descend only while a file name still fits after the prefix. The length is
        // looked at before the directory is marked walked: a link to it met first
        // at a path too long must not keep the directory from its own place.
        if ((size_t)diroffset + length + 1 >= COREFILE_MAXPATH) {
            fenk_log(FENK_LOG_ERROR, "path too long: %.*s%s/\n", (int)diroffset, curDir, name);
            continue;
        }
        if (!firstvisit(&status)) {
            fenk_log(FENK_LOG_WARNING, "directory walked already: %.*s%s/\n", (int)diroffset, curDir, name);
            continue;
        }
        memcpy(curDir + diroffset, name, length);
        curDir[diroffset + length] = '/';
        curDir[diroffset + length + 1] = '\0';
        diroffset += (int32_t)length + 1;
        corefile_opendir(name, fill);
        diroffset -= (int32_t)length + 1;
    }

    if (closedir(dir) != 0) fenk_log(FENK_LOG_ERROR, "Error closing directory");
    if (chdir(back ? back : "..") != 0) {
        // Nowhere better to go: the level above carries on from here.
    }
    free(back);
}

void corefile_closeimage(void)
{
    free(corefile_image.path);
    corefile_image.path = nullptr;
    if (corefile_image.names) {
        for (int32_t i = 0; i < corefile_image.numfiles; i++) free(corefile_image.names[i]);
    }
    free(corefile_image.names);
    free(corefile_image.sizes);
    corefile_image.names = nullptr;
    corefile_image.sizes = nullptr;

    if (corefile_filelist) {
        for (int i = 0; i < corefile_numfiles; i++) {
            free(corefile_filelist[i].name);
            free(corefile_filelist[i].path);
        }
    }
    free(corefile_filelist);
    corefile_filelist = nullptr;
    for (int i = 0; i < corefile_numdirs; i++) {
        free(corefile_dirnames[i]);
        corefile_dirnames[i] = nullptr;
    }
    free(corefile_localpath);
    corefile_localpath = nullptr;

    corefile_image.numfiles = 0;
    corefile_numfiles = 0;
    corefile_numdirs = 0;
    namecapacity = 0;
    filelistcapacity = 0;
}

const char *corefile_lasterror(void) { return openfailure; }

int corefile_gethash(const char *text)
{
    if (!text) return 0;
    // Summed unsigned so a long text wraps instead of overflowing.
    uint32_t hash = 0;
    for (; *text; text++) hash += (uint32_t)(int32_t)(signed char)*text;
    return (int32_t)hash;
}

// True when a component of the name is "..", which would reach outside the image.
static int leavesimage(const char *name)
{
    while (*name) {
        size_t length = strcspn(name, "/\\");
        if (length == 2 && name[0] == '.' && name[1] == '.') return 1;
        name += length;
        if (*name) name++;
    }
    return 0;
}

static int sameletters(const char *a, const char *b)
{
    for (;; a++, b++) {
        char x = *a >= 'A' && *a <= 'Z' ? (char)(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? (char)(*b - 'A' + 'a') : *b;
        if (x != y) return 0;
        if (!x) return 1;
    }
}

// The member as the disk spells it when only the case of its letters differs from
// `lower` (names are opened lower-cased, and most disks tell cases apart), written to
// `out`; 0 when no such member exists.
static int otherspelling(const char *lower, char *out, size_t size)
{
    size_t rootlength = strlen(corefile_image.path);
    if (rootlength + strlen(lower) + 2 > size) return 0;
    memcpy(out, corefile_image.path, rootlength + 1);
    size_t length = rootlength;
    while (*lower) {
        size_t part = strcspn(lower, "/\\");
        if (part == 0) {
            lower++;
            continue;
        }
        char component[COREFILE_PATHSIZE];
        if (part >= sizeof component) return 0;
        memcpy(component, lower, part);
        component[part] = 0;
        lower += part;
        DIR *dir = opendir(out);
        if (!dir) return 0;
        int found = 0;
        while (struct dirent *entry = readdir(dir)) {
            if (!sameletters(entry->d_name, component)) continue;
            out[length++] = '/';
            memcpy(out + length, entry->d_name, part + 1);
            length += part;
            found = 1;
            break;
        }
        closedir(dir);
        if (!found) return 0;
    }
    return 1;
}

// The cause of a failed open, by its error number.
static void whynot(const char *path, int error)
{
    switch (error) {
    case ENOENT: {
        char spelled[2 * COREFILE_PATHSIZE];
        const char *lower = path + strlen(corefile_image.path);
        if (otherspelling(lower, spelled, sizeof spelled) && strcmp(spelled, path) != 0)
            failed("%s: no such file; case differs from %s on disk (names are opened in lower case)", path,
                   spelled);
        else
            failed("%s: no such file", path);
        break;
    }
    case EACCES: failed("%s: permission denied", path); break;
    default: failed("%s: %s", path, strerror(error)); break;
    }
}

// Only regular files are opened: a FIFO would block the open (and every read)
// for ever, a device would never end. The status is looked at before the open
// for the message, and again on the open file, which was opened without waiting
// in case the name was changed in between. A file opened for writing is only
// truncated once it is known to be a regular file.
static FILE *openregular(const char *path, int write)
{
    struct stat status;
    if (stat(path, &status) == 0 && !S_ISREG(status.st_mode)) {
        failed("%s: not a regular file", path);
        return nullptr;
    }
    int fd = open(path, (write ? O_WRONLY | O_CREAT : O_RDONLY) | O_NONBLOCK | O_BINARY, 0666);
    if (fd < 0) {
        whynot(path, errno);
        return nullptr;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        failed("%s: not a regular file", path);
        close(fd);
        return nullptr;
    }
    FILE *stream = write && ftruncate(fd, 0) != 0 ? nullptr : fdopen(fd, write ? "wb" : "rb");
    if (!stream) {
        whynot(path, errno);
        close(fd);
    }
    return stream;
}

// A name opened directly is held to the walk's rule: what a link leads to outside the
// image, or a link to nothing, is not opened. A file still to be made is judged by its
// folder; a link to nothing is refused also for writing, which would make its target
// wherever it points. What cannot be resolved for another reason is left to the open.
static int reachable(const char *path)
{
    char *root = realpath(corefile_image.path, nullptr);
    if (!root) return 1;
    char *target = realpath(path, nullptr);
    struct stat status;
    if (!target && lstat(path, &status) == 0) {
        failed("%s: link leads nowhere", path);
        free(root);
        return 0;
    }
    if (!target) {
        size_t folder = strlen(path);
        while (folder > 0 && path[folder - 1] != '/' && path[folder - 1] != '\\') folder--;
        char *parent = (char *)malloc(folder + 2);
        if (parent) {
            memcpy(parent, path, folder);
            strcpy(parent + folder, folder ? "" : ".");
            target = realpath(parent, nullptr);
            free(parent);
        }
    }
    int inside = !target || within(target, root);
    if (!inside) failed("%s: link leaves the data directory", path);
    free(target);
    free(root);
    return inside;
}

// The image path, "/" and the name lower-cased, in new memory; null without memory.
static char *memberpath(const char *name)
{
    size_t namelength = strlen(name);
    size_t size = strlen(corefile_image.path) + 1 + namelength + 1;
    char *path = namelength < INT_MAX ? (char *)malloc(size) : nullptr;
    if (!path) return nullptr;
    int at = snprintf(path, size, "%s/", corefile_image.path);
    file_downcase(path + at, name, (int)namelength + 1);
    return path;
}

void (*fenk_filewritten)(const char *path, int whole);

// Tells a host that keeps written files elsewhere what was written.
static void tellhost(const char *path, int whole)
{
    if (fenk_filewritten) fenk_filewritten(path, whole);
}

// A failed open always clears the stream, so closing the record afterwards is safe.
int corefile_open(const char *name, s_corefile *file, int mode)
{
    openfailure[0] = 0;
    if (!file) return 0;
    file->stream = nullptr;
    if (!name || !corefile_image.path) {
        failed("%s: no data directory mounted", name ? name : "");
        return 0;
    }
    char *path = memberpath(name);
    if (!path) {
        failed("%s: no memory for its path", name);
        return 0;
    }
    fenk_log(FENK_LOG_INFO, "loading file for dir: %s\n", path);

    FILE *stream = nullptr;
    if (leavesimage(name))
        failed("%s: the name leaves the data directory", path);
    else if (reachable(path))
        stream = openregular(path, mode == COREFILE_MODE_WRITE);
    if (!stream) {
        free(path);
        return 0;
    }
    long end = fseek(stream, 0, SEEK_END) == 0 ? ftell(stream) : -1;
    if (end < 0 || end > INT32_MAX) {
        // The size and position are 32-bit: a larger file would get a wrapped size.
        if (end > INT32_MAX)
            failed("%s: file too large (2 GiB or more)", path);
        else
            failed("%s: its size cannot be read", path);
        fclose(stream);
        free(path);
        file->stream = nullptr;
        return 0;
    }
    if (mode == COREFILE_MODE_WRITE) tellhost(path, 0);
    free(path);
    rewind(stream);
    openfailure[0] = 0;
    file->stream = stream;
    file->position = 0;
    file->size = (int32_t)end;
    return 1;
}

// Puts the stream at the record's position, which is the authority. A negative
// position has no byte to seek to: nothing is read or written there.
static int seekrecord(s_corefile *file)
{
    return file->position >= 0 && fseek(file->stream, file->position, SEEK_SET) == 0;
}

// The position moves by the whole request, also past the end.
void corefile_read(void *buffer, int size, int count, s_corefile *file)
{
    if (!buffer || !file || !file->stream || size < 0 || count < 0) return;
    // A short read leaves the end-of-file indicator set for corefile_feof.
    if (seekrecord(file)) (void)!fread(buffer, (size_t)size, (size_t)count, file->stream);
    file->position = advance(file->position, (int64_t)size * count);
}

void corefile_write(const void *data, int size, int count, s_corefile *file)
{
    if (!data || !file || !file->stream || size < 0 || count < 0) return;
    if (seekrecord(file)) (void)!fwrite(data, (size_t)size, (size_t)count, file->stream);
    file->position = advance(file->position, (int64_t)size * count);
}

void corefile_seek(s_corefile *file, int offset, int origin)
{
    if (!file) return;
    switch (origin) {
    case 0: file->position = offset; break;
    case 1: file->position = advance(file->position, offset); break;
    case 2:
        // Relative to the size, as fseek's SEEK_END: offset 0 is the end.
        file->position = advance(file->size, offset);
        break;
    default: break;
    }
}

void corefile_close(s_corefile *file)
{
    if (file && file->stream) {
        fclose(file->stream);
        file->stream = nullptr;
    }
}

// Below 2 bytes there is no room for a character and its terminator: the
// buffer is left as it is.
void corefile_gets(char *buffer, int size, s_corefile *file)
{
    if (!buffer || size < 2 || !file || !file->stream || !seekrecord(file)) return;
    char *line = fgets(buffer, size, file->stream);
    (void)line;
    long at = ftell(file->stream);
    if (at >= 0 && at <= INT32_MAX) file->position = (int32_t)at;
}

int corefile_feof(s_corefile *file) { return file && file->stream ? feof(file->stream) : 0; }

void corefile_rewind(s_corefile *file)
{
    if (!file) return;
    file->position = 0;
    if (file->stream) rewind(file->stream);
}

int corefile_tell(s_corefile *file) { return file ? file->position : 0; }

int corefile_fsize(s_corefile *file) { return file ? file->size : 0; }

// The current directory followed by the name, or null past the path limit.
static char *localname(const char *name)
{
    const char *dir = corefile_getpath();
    size_t dirlength = strlen(dir), namelength = strlen(name);
    if (dirlength + namelength > COREFILE_MAXPATH) {
        fenk_log(FENK_LOG_ERROR, "path too long: %s%s\n", dir, name);
        return nullptr;
    }
    char *path = (char *)malloc(dirlength + namelength + 1);
    if (path) {
        memcpy(path, dir, dirlength);
        memcpy(path + dirlength, name, namelength + 1);
    }
    return path;
}

// The memory is zero-filled and never empty, so an empty file still gives a
// pointer and a short read leaves zeros rather than stale bytes.
void *corefile_loadbuffer(const char *name)
{
    if (!name) return nullptr;
    char *path = localname(name);
    if (!path) return nullptr;
    s_corefile file;
    int opened = corefile_open(path, &file, 0);
    free(path);
    if (!opened) return nullptr;
    void *data = calloc(file.size > 0 ? (size_t)file.size : 1, 1);
    if (data) corefile_read(data, file.size, 1, &file);
    corefile_close(&file);
    return data;
}

void corefile_savebuffer(const char *name, const void *data, int size)
{
    if (!name || size < 0 || (!data && size > 0)) return;
    char *path = localname(name);
    if (!path) return;
    s_corefile file;
    int opened = corefile_open(path, &file, COREFILE_MODE_WRITE);
    if (opened) {
        corefile_write(data, size, 1, &file);
        corefile_close(&file);
        char *member = memberpath(path);
        if (member) tellhost(member, 1);
        free(member);
    }
    free(path);
}

// A change that would pass the path limit is refused and the directory kept.
// Before a mount there is no current directory to change.
void corefile_chdir(const char *dir)
{
    if (!dir || !corefile_localpath || !strcmp(dir, ".")) return;
    size_t current = strlen(corefile_localpath);
    char *next = (char *)malloc(current + strlen(dir) + 2);
    if (!next) return;

    if (!strcmp(dir, "..")) {
        memcpy(next, corefile_localpath, current + 1);
        // Search from the second-to-last character: the last is the trailing "/".
        size_t cut = 0;
        for (size_t i = current > 1 ? current - 1 : 0; i-- > 0;) {
            if (next[i] == '/' || next[i] == '\\') {
                cut = i;
                break;
            }
        }
        next[cut] = '\0';
    } else if (dir[0] == '/' || dir[0] == '\\') {
        strcpy(next, dir);
    } else {
        memcpy(next, corefile_localpath, current);
        strcpy(next + current, dir);
    }
    size_t length = strlen(next);
    if (length == 0 || next[length - 1] != '/') {
        next[length++] = '/';
        next[length] = '\0';
    }

    if (length > COREFILE_MAXPATH) {
        fenk_log(FENK_LOG_ERROR, "path too long: %s\n", next);
    } else {
        memcpy(corefile_localpath, next, length + 1);
        fenk_log(FENK_LOG_INFO, "localpath = %s\n", corefile_localpath);
    }
    free(next);
}

const char *corefile_getpath(void) { return corefile_localpath ? corefile_localpath : "/"; }

// Only ASCII letters change; bytes from 0x80 up are copied as they are.
void file_downcase(char *dst, const char *src, int length)
{
    if (!dst || !src) return;
    for (int i = 0; i < length; i++) {
        char c = src[i];
        dst[i] = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
    }
}

// The rest of a member path below the current directory, or null when the
// member lies elsewhere. skip is the current directory's length less its leading "/".
static const char *below(const char *member, const char *here, size_t skip)
{
    if (skip && strncmp(member, here + 1, skip) != 0) return nullptr;
    return member + skip;
}

// True when the text holds a "/" before its last character, i.e. it names
// something inside a subdirectory rather than a file here.
static int insubdir(const char *rest)
{
    const char *slash = strchr(rest, '/');
    return slash && slash[1] != '\0';
}

// An extension of null accepts every file.
static int matches(const char *name, const char *extension)
{
    if (!extension) return 1;
    size_t length = strlen(name), extlength = strlen(extension);
    return length >= extlength && !memcmp(name + length - extlength, extension, extlength);
}

// Adds the name unless present; 0 when the table is full and it was left out.
static int collectdir(const char *name)
{
    for (int i = 0; i < corefile_numdirs; i++) {
        if (!strcmp(corefile_dirnames[i], name)) return 1;
    }
    if (corefile_numdirs >= COREFILE_MAXDIRS) {
        fenk_log(FENK_LOG_ERROR, "too many directories: %s\n", name);
        return 0;
    }
    char *copy = copytext(name);
    if (copy) corefile_dirnames[corefile_numdirs++] = copy;
    return 1;
}

static void addentry(char *name, char *path, int size, uint8_t isdir)
{
    if (!name || !path || corefile_numfiles >= filelistcapacity) {
        free(name);
        free(path);
        return;
    }
    s_direntry *entry = &corefile_filelist[corefile_numfiles++];
    entry->name = name;
    entry->path = path;
    entry->size = size;
    entry->isdir = isdir;
}

void corefile_readdir(const char *pattern)
{
    if (!pattern || !corefile_filelist) return;
    // No extension (no ".", or only a leading one) and ".*" both accept every file.
    const char *extension = strrchr(pattern, '.');
    if (extension == pattern || (extension && !strcmp(extension, ".*"))) extension = nullptr;

    for (int i = 0; i < corefile_numfiles; i++) {
        s_direntry *entry = &corefile_filelist[i];
        free(entry->name);
        free(entry->path);
        entry->name = entry->path = nullptr;
        entry->size = 0;
        entry->isdir = 0;
    }
    corefile_numfiles = 0;

    const char *here = corefile_getpath();
    size_t length = strlen(here);
    int root = length == 0 || !strcmp(here, "/");
    if (root) fenk_log(FENK_LOG_INFO, "dir is root");
    size_t skip = root ? 0 : length - 1;

    // Names a program collected with corefile_adddir would otherwise leak here.
    for (int i = 0; i < corefile_numdirs; i++) free(corefile_dirnames[i]);
    corefile_numdirs = 0;
    if (!root) collectdir("..");
    for (int32_t i = 0; i < corefile_image.numfiles; i++) {
        const char *rest = below(corefile_image.names[i], here, skip);
        if (!rest || !insubdir(rest)) continue;
        char first[COREFILE_PATHSIZE];
        size_t n = strcspn(rest, "/\\");
        if (n > COREFILE_MAXPATH) n = COREFILE_MAXPATH;
        memcpy(first, rest, n);
        first[n] = '\0';
        // Once a name is left out, every further one would be too.
        if (!collectdir(first)) break;
    }

    for (int i = 0; i < corefile_numdirs; i++) {
        // The entry takes over the collected name as its path.
        char *dirname = corefile_dirnames[i];
        corefile_dirnames[i] = nullptr;
        size_t size = strlen(dirname) + 3;
        char *shown = (char *)malloc(size);
        if (shown) snprintf(shown, size, "[%s]", dirname);
        addentry(shown, dirname, 0, 1);
    }
    corefile_numdirs = 0;

    for (int32_t i = 0; i < corefile_image.numfiles; i++) {
        const char *member = corefile_image.names[i];
        const char *rest = below(member, here, skip);
        if (!rest || insubdir(rest) || !matches(rest, extension)) continue;
        addentry(copytext(rest), copytext(member), corefile_image.sizes[i], 0);
    }
    fenk_log(FENK_LOG_INFO, "- ReadDIR completed!");
}

void corefile_adddir(const char *name)
{
    if (name) collectdir(name);
}
