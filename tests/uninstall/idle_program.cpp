// A program that only runs: the tests start it from a target folder as a program the user
// left open.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Sleep(600000);
    return 0;
}
