// The POSIX directory calls over the Windows find-file calls.
#include "image_fixture.h"

#include <dirent.h>
#include <errno.h>

#include <set>

using Dirent = ImageTest;

TEST_F(Dirent, BadArgumentsSetTheErrorNumber)
{
    const std::pair<const char *, int> opens[] = {{"", EINVAL}, {nullptr, EINVAL}, {"missing", ENOENT}};
    for (const auto &[name, error] : opens) {
        errno = 0;
        EXPECT_EQ(opendir(name), nullptr);
        EXPECT_EQ(errno, error) << (name ? name : "null");
    }
    errno = 0;
    EXPECT_EQ(closedir(nullptr), -1);
    EXPECT_EQ(errno, EBADF);
    errno = 0;
    EXPECT_EQ(readdir(nullptr), nullptr);
    EXPECT_EQ(errno, EBADF);
}

TEST_F(Dirent, ListsEveryEntryAndRewinds)
{
    put("data/a.txt", "a");
    put("data/b/c.txt", "c");
    const char *patterns[][2] = {{"data", "data/*"}, {"data/", "data/*"}, {"data\\", "data\\*"}};
    for (const auto &[name, pattern] : patterns) {
        DIR *dir = opendir(name);
        ASSERT_NE(dir, nullptr) << name;
        EXPECT_STREQ(dir->pattern, pattern);
        EXPECT_EQ(dir->result.d_name, nullptr);

        std::string first = readdir(dir)->d_name;
        std::set<std::string> all{first};
        while (struct dirent *entry = readdir(dir)) all.insert(entry->d_name);
        EXPECT_EQ(all, (std::set<std::string>{".", "..", "a.txt", "b"}));
        EXPECT_EQ(readdir(dir), nullptr); // stays at the end

        rewinddir(dir);
        EXPECT_EQ(readdir(dir)->d_name, first);
        EXPECT_EQ(closedir(dir), 0);
    }
}
