/* The call trace: takes the vendor library's place, forwards every call to
   the real library beside it and appends one line per call to the trace
   file. See docs/trace.md for the format. */
#if defined(_WIN32)
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#endif

#include "KestComTrace.h"
#include "link/KestComOperations.h"
#include "TraceLine.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
/* Exported through KestComTrace.def, which keeps the names undecorated. */
#define TRACE_EXPORT
#else
#define TRACE_EXPORT __attribute__((visibility("default")))
#endif

enum Operation {
#define TRACE_ENUM(op, shape) OP_##op,
    KESTCOM_OPERATIONS(TRACE_ENUM)
#undef TRACE_ENUM
    OP_COUNT
};
_Static_assert(OP_COUNT == KESTCOM_OPERATION_COUNT, "the trace forwards every operation");

static const char *const kOperationNames[OP_COUNT] = {
#define TRACE_NAME(op, shape) #op,
    KESTCOM_OPERATIONS(TRACE_NAME)
#undef TRACE_NAME
};

static const char kHeader[] = "time\tthread\toperation\tresult\tduration_us\tnote\targuments\n";
static const char kMissingOperation[] = "operation missing from the real library";

#if defined(_WIN32)
#define REAL_LIBRARY_NAME L"KestCom.real.dll"
#define TRACE_FILE_NAME L"KestCom.trace.txt"
#else
#define REAL_LIBRARY_NAME "libKestCom.real.so"
#define TRACE_FILE_NAME "KestCom.trace.txt"
#endif
#define TRACE_FILE_VARIABLE "KESTCOM_TRACE_FILE"

/* Set once, on the first call, and only read afterwards. */
static struct
{
    void *ops[OP_COUNT];
    char problem[600]; /* why there is no real library, or empty */
#if defined(_WIN32)
    HANDLE file;
    LARGE_INTEGER frequency;
    void(WINAPI *preciseTime)(LPFILETIME);
#else
    int file;
#endif
} g;

/* ---- platform ---------------------------------------------------------- */

#if defined(_WIN32)

typedef struct
{
    FILETIME wall;
    LARGE_INTEGER counter;
} Moment;

static void now(Moment *moment, int withWall)
{
    if (withWall) {
        if (g.preciseTime)
            g.preciseTime(&moment->wall);
        else
            GetSystemTimeAsFileTime(&moment->wall);
    }
    QueryPerformanceCounter(&moment->counter);
}

static int64_t nanosecondsBetween(const Moment *from, const Moment *to)
{
    const int64_t ticks = to->counter.QuadPart - from->counter.QuadPart;
    const int64_t perSecond = g.frequency.QuadPart ? g.frequency.QuadPart : 1;
    return ticks / perSecond * 1000000000 + ticks % perSecond * 1000000000 / perSecond;
}

static void formatWallTime(const Moment *moment, char *out)
{
    FILETIME local;
    SYSTEMTIME t;
    ULARGE_INTEGER ticks;
    ticks.LowPart = moment->wall.dwLowDateTime;
    ticks.HighPart = moment->wall.dwHighDateTime;
    if (!FileTimeToLocalFileTime(&moment->wall, &local) || !FileTimeToSystemTime(&local, &t))
        memset(&t, 0, sizeof t);
    traceFormatTimestamp(out, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                         (long)(ticks.QuadPart % 10000000u / 10u));
}

static unsigned long threadId(void)
{
    return GetCurrentThreadId();
}

static void writeLine(const char *bytes, size_t length)
{
    while (g.file != INVALID_HANDLE_VALUE && length > 0) {
        DWORD written = 0;
        const DWORD chunk = length > 0x40000000u ? 0x40000000u : (DWORD)length;
        if (!WriteFile(g.file, bytes, chunk, &written, NULL) || written == 0)
            return;
        bytes += written;
        length -= written;
    }
}

/* The folder of this module, with its final separator; empty if unknown. */
static size_t ownFolder(wchar_t *out, size_t size)
{
    HMODULE self = NULL;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS
                                | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCWSTR)(void *)&ownFolder, &self))
        return 0;
    const DWORD length = GetModuleFileNameW(self, out, (DWORD)size);
    if (length == 0 || length >= size)
        return 0;
    size_t end = length;
    while (end > 0 && out[end - 1] != L'\\' && out[end - 1] != L'/')
        --end;
    out[end] = 0;
    return end;
}

static void openTraceFile(const wchar_t *folder, size_t folderLength)
{
    static wchar_t path[32768];
    const DWORD fromVariable = GetEnvironmentVariableW(L"" TRACE_FILE_VARIABLE, path, 32768);
    if (fromVariable == 0 || fromVariable >= 32768) {
        if (folderLength + wcslen(TRACE_FILE_NAME) >= 32768)
            return;
        wcscpy(path, folder);
        wcscat(path, TRACE_FILE_NAME);
    }
    g.file = CreateFileW(path, FILE_APPEND_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    LARGE_INTEGER size;
    if (g.file != INVALID_HANDLE_VALUE && GetFileSizeEx(g.file, &size) && size.QuadPart == 0)
        writeLine(kHeader, sizeof kHeader - 1);
}

static void loadRealLibrary(const wchar_t *folder, size_t folderLength)
{
    static wchar_t path[32768];
    if (folderLength == 0 || folderLength + wcslen(REAL_LIBRARY_NAME) >= 32768) {
        strcpy(g.problem, "no real library: the trace library's own folder is unknown");
        return;
    }
    wcscpy(path, folder);
    wcscat(path, REAL_LIBRARY_NAME);
    /* The real library's own dependencies are looked for in its folder too. */
    HMODULE real = LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!real) {
        const unsigned long error = GetLastError();
        snprintf(g.problem, sizeof g.problem,
                 "no real library: KestCom.real.dll beside the trace library could not be "
                 "loaded (Windows error %lu)",
                 error);
        return;
    }
    for (int op = 0; op < OP_COUNT; ++op)
        g.ops[op] = (void *)GetProcAddress(real, kOperationNames[op]);
}

static void initialise(void)
{
    static wchar_t folder[32768];
    g.file = INVALID_HANDLE_VALUE;
    QueryPerformanceFrequency(&g.frequency);
    /* Microsecond wall time where Windows has it (8 and later). */
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel)
        g.preciseTime = (void(WINAPI *)(LPFILETIME))(void *)GetProcAddress(
            kernel, "GetSystemTimePreciseAsFileTime");
    const size_t folderLength = ownFolder(folder, 32768);
    loadRealLibrary(folder, folderLength);
    openTraceFile(folder, folderLength);
}

static INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

static BOOL CALLBACK initialiseOnce(PINIT_ONCE once, PVOID parameter, PVOID *context)
{
    (void)once;
    (void)parameter;
    (void)context;
    initialise();
    return TRUE;
}

static void ensureInitialised(void)
{
    InitOnceExecuteOnce(&g_once, initialiseOnce, NULL, NULL);
}

#else /* POSIX */

typedef struct
{
    struct timespec wall;
    struct timespec counter;
} Moment;

static void now(Moment *moment, int withWall)
{
    if (withWall)
        clock_gettime(CLOCK_REALTIME, &moment->wall);
    clock_gettime(CLOCK_MONOTONIC, &moment->counter);
}

static int64_t nanosecondsBetween(const Moment *from, const Moment *to)
{
    return (int64_t)(to->counter.tv_sec - from->counter.tv_sec) * 1000000000
           + (to->counter.tv_nsec - from->counter.tv_nsec);
}

static void formatWallTime(const Moment *moment, char *out)
{
    struct tm t;
    const time_t seconds = moment->wall.tv_sec;
    if (!localtime_r(&seconds, &t))
        memset(&t, 0, sizeof t);
    traceFormatTimestamp(out, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                         t.tm_sec, moment->wall.tv_nsec / 1000);
}

/* Asking the kernel costs a system call, so each thread asks once; a forked
   child forgets the parent's answer. */
static _Thread_local unsigned long t_threadId;

static void forgetThreadId(void)
{
    t_threadId = 0;
}

static unsigned long threadId(void)
{
    if (!t_threadId)
        t_threadId = (unsigned long)syscall(SYS_gettid);
    return t_threadId;
}

static void writeLine(const char *bytes, size_t length)
{
    while (g.file >= 0 && length > 0) {
        const ssize_t written = write(g.file, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        length -= (size_t)written;
    }
}

/* The folder of this library, with its final slash: "" when it was found
   in the current folder. */
static char *ownFolder(void)
{
    Dl_info info;
    if (!dladdr((void *)&ownFolder, &info) || !info.dli_fname)
        return NULL;
    const char *slash = strrchr(info.dli_fname, '/');
    const size_t length = slash ? (size_t)(slash - info.dli_fname) + 1 : 0;
    char *folder = malloc(length + 1);
    if (folder) {
        memcpy(folder, info.dli_fname, length);
        folder[length] = '\0';
    }
    return folder;
}

static char *joined(const char *folder, const char *name)
{
    const size_t a = strlen(folder), b = strlen(name);
    char *path = malloc(a + b + 1);
    if (path) {
        memcpy(path, folder, a);
        memcpy(path + a, name, b + 1);
    }
    return path;
}

static void openTraceFile(const char *folder)
{
    const char *variable = getenv(TRACE_FILE_VARIABLE);
    char *path = NULL;
    if (variable && *variable)
        path = joined("", variable);
    else if (folder)
        path = joined(folder, TRACE_FILE_NAME);
    if (!path)
        return;
    g.file = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    free(path);
    struct stat status;
    if (g.file >= 0 && fstat(g.file, &status) == 0 && status.st_size == 0)
        writeLine(kHeader, sizeof kHeader - 1);
}

static void loadRealLibrary(const char *folder)
{
    char *path = folder ? joined(folder, REAL_LIBRARY_NAME) : NULL;
    if (!path) {
        strcpy(g.problem, "no real library: the trace library's own folder is unknown");
        return;
    }
    /* Kept loaded until the process ends: nothing here ever unloads it. */
    void *real = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    free(path);
    if (!real) {
        const char *reason = dlerror();
        snprintf(g.problem, sizeof g.problem, "no real library: %s",
                 reason ? reason : "it could not be loaded");
        return;
    }
    for (int op = 0; op < OP_COUNT; ++op)
        g.ops[op] = dlsym(real, kOperationNames[op]);
}

static void initialise(void)
{
    g.file = -1;
    pthread_atfork(NULL, NULL, forgetThreadId);
    char *folder = ownFolder();
    loadRealLibrary(folder);
    openTraceFile(folder);
    free(folder);
}

static pthread_once_t g_once = PTHREAD_ONCE_INIT;

static void ensureInitialised(void)
{
    pthread_once(&g_once, initialise);
}

#endif

/* ---- one call ---------------------------------------------------------- */

typedef struct
{
    enum Operation op;
    void *real;   /* the real operation, or NULL: answered 0 */
    int forwarded;
    int32_t result;
    Moment started, ended;
    TraceLine args;
} Call;

static void beginCall(Call *call, enum Operation op)
{
    ensureInitialised();
    call->op = op;
    call->real = g.ops[op];
    call->forwarded = 0;
    call->result = 0;
    now(&call->started, 1);
    traceLineInit(&call->args);
}

static void callStarts(Call *call)
{
    call->forwarded = 1;
    now(&call->started, 0);
}

static void callEnds(Call *call)
{
    now(&call->ended, 0);
}

static int32_t endCall(Call *call)
{
    char wall[27];
    formatWallTime(&call->started, wall);
    TraceLine line;
    traceLineInit(&line);
    traceLineAppend(&line, wall, sizeof wall - 1);
    traceLineAppend(&line, "\t", 1);
    traceLineAppendDecimal(&line, (int64_t)threadId());
    traceLineAppend(&line, "\t", 1);
    traceLineAppendString(&line, kOperationNames[call->op]);
    traceLineAppend(&line, "\t", 1);
    traceLineAppendDecimal(&line, call->result);
    traceLineAppend(&line, "\t", 1);
    if (call->forwarded)
        traceLineAppendMicroseconds(&line, nanosecondsBetween(&call->started, &call->ended));
    traceLineAppend(&line, "\t", 1);
    if (!call->forwarded) {
        const char *note = g.problem[0] ? g.problem : kMissingOperation;
        traceLineAppendEscaped(&line, note, strlen(note));
    }
    traceLineAppend(&line, call->args.data, call->args.length);
    traceLineEnd(&line);
    writeLine(line.data, line.length);
    traceLineFree(&line);
    traceLineFree(&call->args);
    return call->result;
}

/* Calls the real operation with the caller's arguments, unchanged. */
#define CALL_REAL(call, op, ...)                                                                   \
    do {                                                                                           \
        if ((call).real) {                                                                         \
            callStarts(&(call));                                                                   \
            (call).result = ((__typeof__(&op))(call).real)(__VA_ARGS__);                           \
            callEnds(&(call));                                                                     \
        }                                                                                          \
    } while (0)

#define ARG_NUMBER(call, value) traceLineNumber(&(call).args, #value, value)
#define ARG_TEXT(call, value) traceLineText(&(call).args, #value, value)
#define OUT_TEXT(call, value) traceLineText(&(call).args, "out." #value, value)
#define OUT_INT32(call, value) traceLineInt32At(&(call).args, "out." #value, value)
#define OUT_BYTE(call, value) traceLineByteAt(&(call).args, "out." #value, value)

/* ---- the 25 operations -------------------------------------------------- */

TRACE_EXPORT int32_t KESTCOM_CALL SetPCName(char *pcName)
{
    Call call;
    beginCall(&call, OP_SetPCName);
    ARG_TEXT(call, pcName);
    CALL_REAL(call, SetPCName, pcName);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL SetConfirmationsTimeout(int32_t a, int32_t b)
{
    Call call;
    beginCall(&call, OP_SetConfirmationsTimeout);
    ARG_NUMBER(call, a);
    ARG_NUMBER(call, b);
    CALL_REAL(call, SetConfirmationsTimeout, a, b);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutError(int32_t port, int32_t baud)
{
    Call call;
    beginCall(&call, OP_InitializeCommWithoutError);
    ARG_NUMBER(call, port);
    ARG_NUMBER(call, baud);
    CALL_REAL(call, InitializeCommWithoutError, port, baud);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL InitializeCommWithoutOpen(int32_t port)
{
    Call call;
    beginCall(&call, OP_InitializeCommWithoutOpen);
    ARG_NUMBER(call, port);
    CALL_REAL(call, InitializeCommWithoutOpen, port);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL Reset_Message(char *name)
{
    Call call;
    beginCall(&call, OP_Reset_Message);
    ARG_TEXT(call, name);
    CALL_REAL(call, Reset_Message, name);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL TerminateComm(int32_t port)
{
    Call call;
    beginCall(&call, OP_TerminateComm);
    ARG_NUMBER(call, port);
    CALL_REAL(call, TerminateComm, port);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL IO_Open(int32_t port, int32_t baud)
{
    Call call;
    beginCall(&call, OP_IO_Open);
    ARG_NUMBER(call, port);
    ARG_NUMBER(call, baud);
    CALL_REAL(call, IO_Open, port, baud);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL IO_Write(int32_t port, int32_t length, char *text)
{
    Call call;
    beginCall(&call, OP_IO_Write);
    ARG_NUMBER(call, port);
    ARG_NUMBER(call, length);
    ARG_TEXT(call, text);
    CALL_REAL(call, IO_Write, port, length, text);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendSeconds(char *name, int32_t seconds)
{
    Call call;
    beginCall(&call, OP_W_SendSeconds);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, seconds);
    CALL_REAL(call, W_SendSeconds, name, seconds);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_ReadSeconds(char *name)
{
    Call call;
    beginCall(&call, OP_W_ReadSeconds);
    ARG_TEXT(call, name);
    CALL_REAL(call, W_ReadSeconds, name);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_AdjustSeconds(char *name, int32_t seconds)
{
    Call call;
    beginCall(&call, OP_W_AdjustSeconds);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, seconds);
    CALL_REAL(call, W_AdjustSeconds, name, seconds);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendConfigurations(char *name, int32_t entrySeparation,
                                                       int32_t messageDelay, int32_t dayCloseTime,
                                                       int32_t twelveHours, int32_t cardSeries,
                                                       int32_t maximumWorkTime, int32_t clockTick,
                                                       int32_t gate1, int32_t gate2)
{
    Call call;
    beginCall(&call, OP_W_SendConfigurations);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, entrySeparation);
    ARG_NUMBER(call, messageDelay);
    ARG_NUMBER(call, dayCloseTime);
    ARG_NUMBER(call, twelveHours);
    ARG_NUMBER(call, cardSeries);
    ARG_NUMBER(call, maximumWorkTime);
    ARG_NUMBER(call, clockTick);
    ARG_NUMBER(call, gate1);
    ARG_NUMBER(call, gate2);
    CALL_REAL(call, W_SendConfigurations, name, entrySeparation, messageDelay, dayCloseTime,
              twelveHours, cardSeries, maximumWorkTime, clockTick, gate1, gate2);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_InsertEvent(char *name, int32_t index, int32_t seconds,
                                                int32_t period, int32_t repeats, int32_t function,
                                                int32_t ringMask, int32_t weekdayMask)
{
    Call call;
    beginCall(&call, OP_W_InsertEvent);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, index);
    ARG_NUMBER(call, seconds);
    ARG_NUMBER(call, period);
    ARG_NUMBER(call, repeats);
    ARG_NUMBER(call, function);
    ARG_NUMBER(call, ringMask);
    ARG_NUMBER(call, weekdayMask);
    CALL_REAL(call, W_InsertEvent, name, index, seconds, period, repeats, function, ringMask,
              weekdayMask);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendMessage(char *name, int32_t employee, char *text,
                                                int32_t kind)
{
    Call call;
    beginCall(&call, OP_W_SendMessage);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, employee);
    ARG_TEXT(call, text);
    ARG_NUMBER(call, kind);
    CALL_REAL(call, W_SendMessage, name, employee, text, kind);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_ShowMessage(char *name, int32_t number, char *text)
{
    Call call;
    beginCall(&call, OP_W_ShowMessage);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, number);
    ARG_TEXT(call, text);
    CALL_REAL(call, W_ShowMessage, name, number, text);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendJustifications(char *name, char *text)
{
    Call call;
    beginCall(&call, OP_W_SendJustifications);
    ARG_TEXT(call, name);
    ARG_TEXT(call, text);
    CALL_REAL(call, W_SendJustifications, name, text);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_InsertEntry(char *name, int32_t index, int32_t seconds,
                                                int32_t cardCode, int32_t aux1,
                                                int32_t justification, int32_t presence)
{
    Call call;
    beginCall(&call, OP_W_InsertEntry);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, index);
    ARG_NUMBER(call, seconds);
    ARG_NUMBER(call, cardCode);
    ARG_NUMBER(call, aux1);
    ARG_NUMBER(call, justification);
    ARG_NUMBER(call, presence);
    CALL_REAL(call, W_InsertEntry, name, index, seconds, cardCode, aux1, justification, presence);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_DeleteEntry(char *name, int32_t index)
{
    Call call;
    beginCall(&call, OP_W_DeleteEntry);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, index);
    CALL_REAL(call, W_DeleteEntry, name, index);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_ReadPointers(char *name, int32_t *first, int32_t *second,
                                                 int32_t *third)
{
    Call call;
    beginCall(&call, OP_W_ReadPointers);
    ARG_TEXT(call, name);
    CALL_REAL(call, W_ReadPointers, name, first, second, third);
    OUT_TEXT(call, name);
    OUT_INT32(call, first);
    OUT_INT32(call, second);
    OUT_INT32(call, third);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendReaderPointer(char *name, int32_t value)
{
    Call call;
    beginCall(&call, OP_W_SendReaderPointer);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, value);
    CALL_REAL(call, W_SendReaderPointer, name, value);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendAllPointers(char *name, int32_t first, int32_t second,
                                                    int32_t third)
{
    Call call;
    beginCall(&call, OP_W_SendAllPointers);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, first);
    ARG_NUMBER(call, second);
    ARG_NUMBER(call, third);
    CALL_REAL(call, W_SendAllPointers, name, first, second, third);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_SendEmployerName(char *name, int32_t employee, char *text,
                                                     int32_t cardCode, int32_t last)
{
    Call call;
    beginCall(&call, OP_W_SendEmployerName);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, employee);
    ARG_TEXT(call, text);
    ARG_NUMBER(call, cardCode);
    ARG_NUMBER(call, last);
    CALL_REAL(call, W_SendEmployerName, name, employee, text, cardCode, last);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_ClearEmployerName(char *name, int32_t employee)
{
    Call call;
    beginCall(&call, OP_W_ClearEmployerName);
    ARG_TEXT(call, name);
    ARG_NUMBER(call, employee);
    CALL_REAL(call, W_ClearEmployerName, name, employee);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_Kill(char *name)
{
    Call call;
    beginCall(&call, OP_W_Kill);
    ARG_TEXT(call, name);
    CALL_REAL(call, W_Kill, name);
    OUT_TEXT(call, name);
    return endCall(&call);
}

TRACE_EXPORT int32_t KESTCOM_CALL W_ReceiveEntry(char *clockName, int32_t *index, int32_t *seconds,
                                                 int32_t *cardCode, uint8_t *aux1,
                                                 uint8_t *justification, uint8_t *presence,
                                                 int32_t *orValue, int32_t *code)
{
    Call call;
    beginCall(&call, OP_W_ReceiveEntry);
    CALL_REAL(call, W_ReceiveEntry, clockName, index, seconds, cardCode, aux1, justification,
              presence, orValue, code);
    /* The name is a fixed nine-byte field: every byte shows, zeros included. */
    traceLineBytes(&call.args, "out.clockName", clockName, 9);
    OUT_INT32(call, index);
    OUT_INT32(call, seconds);
    OUT_INT32(call, cardCode);
    OUT_BYTE(call, aux1);
    OUT_BYTE(call, justification);
    OUT_BYTE(call, presence);
    OUT_INT32(call, orValue);
    OUT_INT32(call, code);
    return endCall(&call);
}
