// varnok.exe: the desktop program on Windows. A channel file named on the
// command line (as the shell passes it after a double click) opens.
#include "win32/program_app.h"

#include <shellapi.h>
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    std::wstring file;
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        // The first argument that is not a switch is the file.
        for (int i = 1; i < argc && file.empty(); ++i)
            if (argv[i][0] != L'/' && argv[i][0] != L'-')
                file = argv[i];
        LocalFree(argv);
    }
    CProgramApp program;
    if (!program.InitInstance(file, showCommand))
        return 1;
    return program.Run();
}
