/* A version.dll planted beside the patch program, as an attacker with write
 * access to a download folder would. It forwards every call to the real
 * system library, so the process works as usual, and notes in
 * version_calls.txt (beside itself) that it was loaded and which calls came
 * from the main program's own code. Wine's user32 imports version.dll too,
 * so a planted copy is loaded into every GUI program; only calls from the
 * program image tell whether the program itself trusts the planted copy. */
#include <windows.h>

static HMODULE g_self;
static HMODULE g_real;

static void note(const char* text)
{
    wchar_t path[MAX_PATH + 32] = {0};
    DWORD length = GetModuleFileNameW(g_self, path, MAX_PATH);
    HANDLE file;
    DWORD written = 0;
    path[MAX_PATH] = L'\0';
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    lstrcpyW(path + length, L"version_calls.txt");
    file =
        CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

static int isInMainProgram(const void* address)
{
    const BYTE* base = (const BYTE*)GetModuleHandleW(NULL);
    const IMAGE_NT_HEADERS* nt =
        (const IMAGE_NT_HEADERS*)(base +
                                  ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    return (const BYTE*)address >= base &&
           (const BYTE*)address < base + nt->OptionalHeader.SizeOfImage;
}

static FARPROC realFunction(const char* name)
{
    if (g_real == NULL) {
        wchar_t path[MAX_PATH + 16] = {0};
        UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return NULL;
        lstrcpyW(path + length, L"\\version.dll");
        g_real = LoadLibraryW(path);
    }
    return g_real == NULL ? NULL : GetProcAddress(g_real, name);
}

static void noteCaller(const char* name, const void* returnAddress)
{
    char line[128] = "called from the program's own code: ";
    if (!isInMainProgram(returnAddress))
        return;
    lstrcpynA(line + lstrlenA(line), name, 64);
    note(line);
}

/* Every export takes 32-bit arguments only, so one shape per count
 * forwards them all unchanged. */
typedef DWORD(WINAPI* Forward2)(DWORD, DWORD);
typedef DWORD(WINAPI* Forward3)(DWORD, DWORD, DWORD);
typedef DWORD(WINAPI* Forward4)(DWORD, DWORD, DWORD, DWORD);
typedef DWORD(WINAPI* Forward5)(DWORD, DWORD, DWORD, DWORD, DWORD);
typedef DWORD(WINAPI* Forward8)(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                DWORD);

#define CALL_REAL(name, type, ...)                                             \
    type real = (type)(void*)realFunction(#name);                              \
    noteCaller(#name, __builtin_return_address(0));                            \
    if (real == NULL) {                                                        \
        SetLastError(ERROR_PROC_NOT_FOUND);                                    \
        return 0;                                                              \
    }                                                                          \
    return real(__VA_ARGS__)

#define FORWARD2(name)                                                         \
    DWORD WINAPI fake_##name(DWORD a, DWORD b)                                 \
    {                                                                          \
        CALL_REAL(name, Forward2, a, b);                                       \
    }
#define FORWARD3(name)                                                         \
    DWORD WINAPI fake_##name(DWORD a, DWORD b, DWORD c)                        \
    {                                                                          \
        CALL_REAL(name, Forward3, a, b, c);                                    \
    }
#define FORWARD4(name)                                                         \
    DWORD WINAPI fake_##name(DWORD a, DWORD b, DWORD c, DWORD d)               \
    {                                                                          \
        CALL_REAL(name, Forward4, a, b, c, d);                                 \
    }
#define FORWARD5(name)                                                         \
    DWORD WINAPI fake_##name(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e)      \
    {                                                                          \
        CALL_REAL(name, Forward5, a, b, c, d, e);                              \
    }
#define FORWARD8(name)                                                         \
    DWORD WINAPI fake_##name(DWORD a, DWORD b, DWORD c, DWORD d, DWORD e,      \
                             DWORD f, DWORD g, DWORD h)                        \
    {                                                                          \
        CALL_REAL(name, Forward8, a, b, c, d, e, f, g, h);                     \
    }

FORWARD4(GetFileVersionInfoA)
FORWARD4(GetFileVersionInfoW)
FORWARD5(GetFileVersionInfoExA)
FORWARD5(GetFileVersionInfoExW)
FORWARD2(GetFileVersionInfoSizeA)
FORWARD2(GetFileVersionInfoSizeW)
FORWARD3(GetFileVersionInfoSizeExA)
FORWARD3(GetFileVersionInfoSizeExW)
FORWARD8(VerFindFileA)
FORWARD8(VerFindFileW)
FORWARD8(VerInstallFileA)
FORWARD8(VerInstallFileW)
FORWARD3(VerLanguageNameA)
FORWARD3(VerLanguageNameW)
FORWARD4(VerQueryValueA)
FORWARD4(VerQueryValueW)

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        g_self = instance;
        note("loaded");
    }
    return TRUE;
}
