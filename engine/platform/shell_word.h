// A name as one word for a POSIX shell, in single quotes (a quote inside becomes
// '\''), for the commands the engine's refusals suggest: a name with a space or a
// quote is then still one argument. For the engine's units only.
#ifndef FENK_PLATFORM_SHELL_WORD_H
#define FENK_PLATFORM_SHELL_WORD_H

#include <string>

inline std::string shell_word(const std::string &name)
{
    std::string word = "'";
    for (char c : name) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

#endif
