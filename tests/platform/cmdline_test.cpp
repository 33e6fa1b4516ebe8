// The command-line splitter the Windows host hands coremain its arguments with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

std::vector<std::string> split(const std::string &line, int *count_out = nullptr)
{
    std::vector<char> text(line.begin(), line.end());
    text.push_back(0);
    int argc = -1;
    char **argv = CommandLineToArgvA(text.data(), &argc);
    EXPECT_NE(argv, nullptr);
    std::vector<std::string> args;
    for (int i = 0; i < argc; i++) args.emplace_back(argv[i]);
    EXPECT_EQ(argv[argc], nullptr);
    if (count_out) *count_out = argc;
    free(argv); // one block holds the pointers and the words
    return args;
}

using Args = std::vector<std::string>;

TEST(CommandLineToArgvA, SplitsOnWhitespaceOnly)
{
    EXPECT_EQ(split(""), Args{});
    EXPECT_EQ(split(" \t\r\n "), Args{});
    EXPECT_EQ(split("show.exe  a\t\tb\r\nc "), (Args{"show.exe", "a", "b", "c"}));
    // Vertical tab, form feed and high bytes belong to the argument.
    EXPECT_EQ(split("a\vb \fc \xe9t\xe9"), (Args{"a\vb", "\fc", "\xe9t\xe9"}));
}

TEST(CommandLineToArgvA, QuotesToggleWithoutEndingTheWord)
{
    EXPECT_EQ(split("a\"b c\"d"), (Args{"ab cd"}));
    EXPECT_EQ(split("\"\" x"), (Args{"", "x"}));
    // A backslash is an ordinary byte; the quote after it closes the stretch.
    EXPECT_EQ(split("\"a\\\"b"), (Args{"a\\b"}));
    EXPECT_EQ(split("\"C:\\Program Files\\show.exe\" -x"), (Args{"C:\\Program Files\\show.exe", "-x"}));
    // An unclosed quote runs to the end of the line, whitespace included.
    EXPECT_EQ(split("a \"b  c"), (Args{"a", "b  c"}));
}

TEST(CommandLineToArgvA, HoldsTheMostArgumentsALineCanHave)
{
    // One-byte arguments with single separators: (L + 1) / 2 of them.
    std::string line;
    for (int i = 0; i < 999; i++) line += i ? " x" : "x";
    int count = 0;
    Args args = split(line, &count);
    EXPECT_EQ(count, 999);
    EXPECT_EQ(args.back(), "x");
    EXPECT_EQ(split("\"\" \"\" \"\"").size(), 3u);
}

} // namespace
