// Program entry of both builds.
#include "app/application.h"

#ifdef _WIN32
#include <windows.h>
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunApplication(); }
#else
int main() { return RunApplication(); }
#endif
