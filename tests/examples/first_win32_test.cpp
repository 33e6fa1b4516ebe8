// The Windows build of the first example: its window comes up with the example's title
// and client size, keeps drawing, and closing it ends the program with code 0.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "child_process.h"

TEST(FirstExample, WindowedRunEndsWhenItsWindowCloses)
{
    // The example sits at examples/first/ of the build, this test at tests/examples/.
    char path[MAX_PATH];
    std::string command(path, GetModuleFileNameA(NULL, path, MAX_PATH));
    command.resize(command.find_last_of("\\/") + 1);
    command += "..\\..\\examples\\first\\" FIRST_WIN32;
    ChildProcess process;
    ASSERT_TRUE(process.start({command}, {}));

    HWND window = NULL;
    const DWORD start = GetTickCount();
    while (!window && GetTickCount() - start < 20000) {
        window = FindWindowA("FENK", "FENK - first example");
        if (!window) Sleep(20);
    }
    if (window) {
        Sleep(500);
        EXPECT_FALSE(process.wait(0)) << "ended on its own";
        EXPECT_TRUE(IsWindowVisible(window));
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right - client.left, 640);
        EXPECT_EQ(client.bottom - client.top, 360);
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else {
        ADD_FAILURE() << "no window with the example's title within 20 s";
    }

    DWORD code = 0xFFFF;
    if (process.wait(15))
        code = static_cast<DWORD>(process.status());
    else
        process.stop();
    EXPECT_EQ(code, 0u);
}
