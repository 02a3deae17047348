/* Starts a Windows program with the Qt variables the test asked for.
 * Wine keeps every QT_ variable of the Unix environment from Windows
 * programs (they are meant for the host's Qt), so wine-run hands them over
 * as VELMORA_WINE_QT_...; this puts them back under their own names and runs
 * the rest of its command line as it was given, returning its exit code. */
#include <windows.h>
#include <wchar.h>

static const wchar_t kPrefix[] = L"VELMORA_WINE_";

static void RestoreQtVariables(void)
{
    wchar_t *block = GetEnvironmentStringsW();
    const size_t prefixLength = wcslen(kPrefix);
    for (wchar_t *entry = block; entry && *entry; entry += wcslen(entry) + 1) {
        if (wcsncmp(entry, kPrefix, prefixLength) != 0)
            continue;
        wchar_t *name = entry + prefixLength;
        wchar_t *equals = wcschr(name, L'=');
        if (!equals)
            continue;
        *equals = L'\0';
        SetEnvironmentVariableW(name, equals + 1);
        *equals = L'=';
    }
    FreeEnvironmentStringsW(block);
}

/* The command line after this program's own name, quoted or not. */
static wchar_t *RestOfCommandLine(void)
{
    wchar_t *p = GetCommandLineW();
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

int wmain(void)
{
    RestoreQtVariables();
    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process;
    if (!CreateProcessW(NULL, RestOfCommandLine(), NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        fwprintf(stderr, L"wine-env: cannot start %ls (error %lu)\n", RestOfCommandLine(), GetLastError());
        return 127;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return (int)code;
}
