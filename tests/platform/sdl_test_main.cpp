// The main of the GoogleTest programs that run on the SDL host: the host's main runs
// coremain on its show thread, and coremain runs the tests. Each program has a virtual
// display of its own, so no other test's window moves the pointer or the focus under
// it. Linked last into each program, so its two start-up steps below run after every
// test has registered itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "child_process.h"
#include "platform/host.h"

extern "C" int coremain(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// ctest lists the tests of every program it loads, also in the sanitizer stages that
// run without a display: the list is printed here, before the host's main would
// ask for a window, in GoogleTest's own listing form. Placed last, after every test
// has registered itself.
namespace {

bool listbeforemain()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string word;
    bool listing = false;
    while (std::getline(file, word, '\0')) listing |= word.rfind("--gtest_list_tests", 0) == 0;
    if (!listing) return false;
    const testing::UnitTest *tests = testing::UnitTest::GetInstance();
    for (int i = 0; i < tests->total_test_suite_count(); i++) {
        const testing::TestSuite *suite = tests->GetTestSuite(i);
        printf("%s.\n", suite->name());
        for (int j = 0; j < suite->total_test_count(); j++) printf("  %s\n", suite->GetTestInfo(j)->name());
    }
    fflush(stdout);
    std::exit(0);
}

const bool listed = listbeforemain();

// The host's main opens the display before coremain runs, so the display must exist
// before main: a program that cannot have one says why and fails.
PrivateDisplay *owndisplay()
{
    static PrivateDisplay display;
    if (!display.ok()) {
        printf("no display of its own: %s\n", display.error().c_str());
        fflush(stdout);
        std::exit(1);
    }
    display.use();
    return &display;
}

const PrivateDisplay *privatedisplay = owndisplay();

} // namespace
