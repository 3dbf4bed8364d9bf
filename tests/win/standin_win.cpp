// A stand-in for the main program, for the process tests: appends its process id and working
// directory to started.txt beside its own executable, then sleeps for at most a minute so that
// nothing it leaves behind lives long.

#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring log = exe;
    log = log.substr(0, log.find_last_of(L'\\') + 1) + L"started.txt";
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    if (FILE* file = _wfopen(log.c_str(), L"a")) {
        fwprintf(file, L"%lu %ls\n", GetCurrentProcessId(), cwd);
        fclose(file);
    }
    Sleep(60000);
    return 0;
}
