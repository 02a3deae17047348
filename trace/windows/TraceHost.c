/* Windows test host: loads the trace library (KestCom.dll) beside itself by
   operation name, as the program does, calls each of the 25 operations and
   checks that the fake vendor library (KestCom.real.dll) got the arguments
   unchanged and that the trace file holds one right line per call.

     TraceHost            with the fake beside it
     TraceHost missing    without any real library: every call answers 0 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "FakeRecord.h"
#include "KestComTrace.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures;

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "FAIL line %d: %s\n", __LINE__, #condition);                           \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

/* ---- the operations, bound by name ---- */

#define OPERATION(op) static __typeof__(&op) p##op;
OPERATION(SetPCName) OPERATION(SetConfirmationsTimeout) OPERATION(InitializeCommWithoutError)
OPERATION(InitializeCommWithoutOpen) OPERATION(Reset_Message) OPERATION(TerminateComm)
OPERATION(IO_Open) OPERATION(IO_Write) OPERATION(W_SendSeconds) OPERATION(W_ReadSeconds)
OPERATION(W_AdjustSeconds) OPERATION(W_SendConfigurations) OPERATION(W_InsertEvent)
OPERATION(W_SendMessage) OPERATION(W_ShowMessage) OPERATION(W_SendJustifications)
OPERATION(W_InsertEntry) OPERATION(W_DeleteEntry) OPERATION(W_ReadPointers)
OPERATION(W_SendReaderPointer) OPERATION(W_SendAllPointers) OPERATION(W_SendEmployerName)
OPERATION(W_ClearEmployerName) OPERATION(W_Kill) OPERATION(W_ReceiveEntry)
#undef OPERATION

static int bindAll(HMODULE trace)
{
    int bound = 0;
#define BIND(op)                                                                                   \
    p##op = (__typeof__(&op))(void *)GetProcAddress(trace, #op);                                   \
    if (p##op)                                                                                     \
        ++bound;                                                                                   \
    else                                                                                           \
        fprintf(stderr, "FAIL: KestCom.dll does not export %s\n", #op);
    BIND(SetPCName) BIND(SetConfirmationsTimeout) BIND(InitializeCommWithoutError)
    BIND(InitializeCommWithoutOpen) BIND(Reset_Message) BIND(TerminateComm) BIND(IO_Open)
    BIND(IO_Write) BIND(W_SendSeconds) BIND(W_ReadSeconds) BIND(W_AdjustSeconds)
    BIND(W_SendConfigurations) BIND(W_InsertEvent) BIND(W_SendMessage) BIND(W_ShowMessage)
    BIND(W_SendJustifications) BIND(W_InsertEntry) BIND(W_DeleteEntry) BIND(W_ReadPointers)
    BIND(W_SendReaderPointer) BIND(W_SendAllPointers) BIND(W_SendEmployerName)
    BIND(W_ClearEmployerName) BIND(W_Kill) BIND(W_ReceiveEntry)
#undef BIND
    return bound;
}

/* ---- what the fake received ---- */

static const FakeRecord *(KESTCOM_CALL *fakeRecord)(void);

/* The trace loads the real library on its first call. */
static void bindFake(void)
{
    HMODULE real = GetModuleHandleW(L"KestCom.real.dll");
    if (real)
        fakeRecord = (const FakeRecord *(KESTCOM_CALL *)(void))(void *)GetProcAddress(
            real, "Fake_Record");
}

/* The operation, its text arguments (up to two, then NULL) and its numbers. */
static void checkReceived(const char *op, const char *text1, const char *text2, int count, ...)
{
    if (!fakeRecord)
        return;
    const FakeRecord *r = fakeRecord();
    if (strcmp(r->operation, op) != 0) {
        fprintf(stderr, "FAIL: the fake's last call is %s, not %s\n", r->operation, op);
        ++failures;
        return;
    }
    const int texts = text1 ? (text2 ? 2 : 1) : 0;
    if (r->textCount != texts || (text1 && strcmp(r->texts[0], text1) != 0)
        || (text2 && strcmp(r->texts[1], text2) != 0)) {
        fprintf(stderr, "FAIL: %s received other texts\n", op);
        ++failures;
    }
    va_list numbers;
    va_start(numbers, count);
    if (r->numberCount != count) {
        fprintf(stderr, "FAIL: %s received %d numbers, not %d\n", op, r->numberCount, count);
        ++failures;
    }
    for (int i = 0; i < count && i < r->numberCount; ++i) {
        const int32_t wanted = va_arg(numbers, int32_t);
        if (r->numbers[i] != wanted) {
            fprintf(stderr, "FAIL: %s number %d is %ld, not %ld\n", op, i + 1,
                    (long)r->numbers[i], (long)wanted);
            ++failures;
        }
    }
    va_end(numbers);
}

/* ---- the lines the trace should hold ---- */

typedef struct
{
    const char *op;
    long result;
    const char *args;
} Expected;

static Expected expected[32];
static int expectedCount;

static void expect(const char *op, long result, const char *args)
{
    expected[expectedCount].op = op;
    expected[expectedCount].result = result;
    expected[expectedCount].args = args;
    ++expectedCount;
}

static int isDigits(const char *s, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (s[i] < '0' || s[i] > '9')
            return 0;
    return 1;
}

/* "2026-12-07 12:00:00.000001" */
static int isTimestamp(const char *s)
{
    return strlen(s) == 26 && isDigits(s, 4) && s[4] == '-' && isDigits(s + 5, 2) && s[7] == '-'
           && isDigits(s + 8, 2) && s[10] == ' ' && isDigits(s + 11, 2) && s[13] == ':'
           && isDigits(s + 14, 2) && s[16] == ':' && isDigits(s + 17, 2) && s[19] == '.'
           && isDigits(s + 20, 6);
}

static int isDuration(const char *s)
{
    const char *dot = strchr(s, '.');
    return dot && dot > s && isDigits(s, (size_t)(dot - s)) && strlen(dot) == 4
           && isDigits(dot + 1, 3);
}

static void checkTrace(const wchar_t *path, int missing)
{
    FILE *file = _wfopen(path, L"rb");
    if (!file) {
        fprintf(stderr, "FAIL: no trace file\n");
        ++failures;
        return;
    }
    static char content[1 << 16];
    const size_t size = fread(content, 1, sizeof content - 1, file);
    fclose(file);
    content[size] = '\0';

    char *line = content;
    int number = -1; /* the header is line -1 */
    char thread[16];
    snprintf(thread, sizeof thread, "%lu", (unsigned long)GetCurrentThreadId());
    while (*line) {
        char *end = strchr(line, '\n');
        if (!end) {
            fprintf(stderr, "FAIL: the last line has no newline\n");
            ++failures;
            break;
        }
        *end = '\0';
        if (number < 0) {
            CHECK(strcmp(line, "time\tthread\toperation\tresult\tduration_us\tnote\targuments")
                  == 0);
        } else if (number >= expectedCount) {
            fprintf(stderr, "FAIL: a line too many: %s\n", line);
            ++failures;
        } else {
            const Expected *e = &expected[number];
            char *field[6];
            char *rest = line;
            for (int i = 0; i < 6; ++i) {
                field[i] = rest;
                char *tab = rest ? strchr(rest, '\t') : NULL;
                if (tab)
                    *tab = '\0';
                rest = tab ? tab + 1 : NULL;
            }
            char result[16];
            snprintf(result, sizeof result, "%ld", e->result);
            if (!rest || !isTimestamp(field[0]) || strcmp(field[1], thread) != 0
                || strcmp(field[2], e->op) != 0 || strcmp(field[3], result) != 0
                || (missing ? field[4][0] != '\0' : !isDuration(field[4]))
                || (missing ? strncmp(field[5], "no real library: ", 17) != 0
                            : field[5][0] != '\0')
                || strcmp(rest, e->args) != 0) {
                fprintf(stderr,
                        "FAIL: line %d\n  is: %s|%s|%s|%s|%s|%s|%s\n  not: %s result %s: %s\n",
                        number + 1, field[0], field[1] ? field[1] : "", field[2] ? field[2] : "",
                        field[3] ? field[3] : "", field[4] ? field[4] : "",
                        field[5] ? field[5] : "", rest ? rest : "", e->op, result, e->args);
                ++failures;
            }
        }
        ++number;
        line = end + 1;
    }
    if (number != expectedCount) {
        fprintf(stderr, "FAIL: %d lines, not %d\n", number, expectedCount);
        ++failures;
    }
}

/* ---- the calls ---- */

static void callEverything(int missing)
{
    /* With no real library every answer is 0 and no buffer changes. */
#define RESULT(value) (missing ? 0 : (value))
    char name[16] = "PONTO_00";
    char pcName[16] = "PONTO_PC";

    CHECK(pSetPCName(pcName) == RESULT(1));
    bindFake();
    checkReceived("SetPCName", "PONTO_PC", NULL, 0);
    expect("SetPCName", RESULT(1), "pcName[8]=\"PONTO_PC\"");

    CHECK(pSetConfirmationsTimeout(1000, -1000) == RESULT(2));
    checkReceived("SetConfirmationsTimeout", NULL, NULL, 2, 1000, -1000);
    expect("SetConfirmationsTimeout", RESULT(2), "a=1000\tb=-1000");

    CHECK(pInitializeCommWithoutError(1, 19200) == RESULT(3));
    checkReceived("InitializeCommWithoutError", NULL, NULL, 2, 1, 19200);
    expect("InitializeCommWithoutError", RESULT(3), "port=1\tbaud=19200");

    CHECK(pInitializeCommWithoutOpen(2) == RESULT(4));
    checkReceived("InitializeCommWithoutOpen", NULL, NULL, 1, 2);
    expect("InitializeCommWithoutOpen", RESULT(4), "port=2");

    CHECK(pReset_Message(name) == RESULT(5));
    checkReceived("Reset_Message", "PONTO_00", NULL, 0);
    CHECK(strcmp(name, missing ? "PONTO_00" : "PONTO_07") == 0);
    expect("Reset_Message", RESULT(5),
           missing ? "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_00\""
                   : "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_07\"");
    strcpy(name, "PONTO_00");

    CHECK(pTerminateComm(3) == RESULT(6));
    checkReceived("TerminateComm", NULL, NULL, 1, 3);
    expect("TerminateComm", RESULT(6), "port=3");

    CHECK(pIO_Open(1, 4800) == RESULT(7));
    checkReceived("IO_Open", NULL, NULL, 2, 1, 4800);
    expect("IO_Open", RESULT(7), "port=1\tbaud=4800");

    char hangUp[] = "AT H0\r";
    CHECK(pIO_Write(1, 6, hangUp) == RESULT(8));
    checkReceived("IO_Write", "AT H0\r", NULL, 2, 1, 6);
    expect("IO_Write", RESULT(8), "port=1\tlength=6\ttext[6]=\"AT H0\\r\"");

    CHECK(pW_SendSeconds(name, 976190400) == RESULT(9));
    checkReceived("W_SendSeconds", "PONTO_00", NULL, 1, 976190400);
    expect("W_SendSeconds", RESULT(9),
           "name[8]=\"PONTO_00\"\tseconds=976190400\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_ReadSeconds(name) == RESULT(976190400));
    checkReceived("W_ReadSeconds", "PONTO_00", NULL, 0);
    expect("W_ReadSeconds", RESULT(976190400), "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_AdjustSeconds(name, -2147483647 - 1) == RESULT(11));
    checkReceived("W_AdjustSeconds", "PONTO_00", NULL, 1, (int32_t)(-2147483647 - 1));
    expect("W_AdjustSeconds", RESULT(11),
           "name[8]=\"PONTO_00\"\tseconds=-2147483648\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_SendConfigurations(name, 1, 2, 3, 4, 5, 6, 7, 8, 9) == RESULT(12));
    checkReceived("W_SendConfigurations", "PONTO_00", NULL, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9);
    expect("W_SendConfigurations", RESULT(12),
           "name[8]=\"PONTO_00\"\tentrySeparation=1\tmessageDelay=2\tdayCloseTime=3"
           "\ttwelveHours=4\tcardSeries=5\tmaximumWorkTime=6\tclockTick=7\tgate1=8\tgate2=9"
           "\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_InsertEvent(name, 10, 86100, 30, 2, 1, 5, 127) == RESULT(13));
    checkReceived("W_InsertEvent", "PONTO_00", NULL, 7, 10, 86100, 30, 2, 1, 5, 127);
    expect("W_InsertEvent", RESULT(13),
           "name[8]=\"PONTO_00\"\tindex=10\tseconds=86100\tperiod=30\trepeats=2\tfunction=1"
           "\tringMask=5\tweekdayMask=127\tout.name[8]=\"PONTO_00\"");

    /* Every escape at once: a tab, a newline, a backslash, a quote and
       Windows-1252 letters outside ASCII. */
    char message[] = "Bom dia\t\"Jo\xe3o\"\\\n\x80";
    CHECK(pW_SendMessage(name, 53, message, 2) == RESULT(14));
    checkReceived("W_SendMessage", "PONTO_00", message, 2, 53, 2);
    expect("W_SendMessage", RESULT(14),
           "name[8]=\"PONTO_00\"\temployee=53\ttext[17]=\"Bom dia\\t\\\"Jo\\xE3o\\\"\\\\\\n\\x80\""
           "\tkind=2\tout.name[8]=\"PONTO_00\"");

    char shown[] = "";
    CHECK(pW_ShowMessage(name, 3, shown) == RESULT(15));
    checkReceived("W_ShowMessage", "PONTO_00", "", 1, 3);
    expect("W_ShowMessage", RESULT(15),
           "name[8]=\"PONTO_00\"\tnumber=3\ttext[0]=\"\"\tout.name[8]=\"PONTO_00\"");

    char justifications[] = "Doctor;Bank";
    CHECK(pW_SendJustifications(name, justifications) == RESULT(16));
    checkReceived("W_SendJustifications", "PONTO_00", "Doctor;Bank", 0);
    expect("W_SendJustifications", RESULT(16),
           "name[8]=\"PONTO_00\"\ttext[11]=\"Doctor;Bank\"\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_InsertEntry(name, 4, 976190400, 1053, 65, 0, 1) == RESULT(17));
    checkReceived("W_InsertEntry", "PONTO_00", NULL, 6, 4, 976190400, 1053, 65, 0, 1);
    expect("W_InsertEntry", RESULT(17),
           "name[8]=\"PONTO_00\"\tindex=4\tseconds=976190400\tcardCode=1053\taux1=65"
           "\tjustification=0\tpresence=1\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_DeleteEntry(name, 4) == RESULT(18));
    checkReceived("W_DeleteEntry", "PONTO_00", NULL, 1, 4);
    expect("W_DeleteEntry", RESULT(18), "name[8]=\"PONTO_00\"\tindex=4\tout.name[8]=\"PONTO_00\"");

    int32_t first = 7, second = 7, third = 7;
    CHECK(pW_ReadPointers(name, &first, &second, &third) == RESULT(19));
    checkReceived("W_ReadPointers", "PONTO_00", NULL, 0);
    if (fakeRecord) {
        const FakeRecord *r = fakeRecord();
        CHECK(r->pointers[0] == &first && r->pointers[1] == &second && r->pointers[2] == &third);
    }
    CHECK(first == (missing ? 7 : 12) && second == (missing ? 7 : -1)
          && third == (missing ? 7 : 2147483647));
    expect("W_ReadPointers", RESULT(19),
           missing ? "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_00\"\tout.first=7\tout.second=7"
                     "\tout.third=7"
                   : "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_00\"\tout.first=12"
                     "\tout.second=-1\tout.third=2147483647");

    CHECK(pW_SendReaderPointer(name, -1) == RESULT(20));
    checkReceived("W_SendReaderPointer", "PONTO_00", NULL, 1, -1);
    expect("W_SendReaderPointer", RESULT(20),
           "name[8]=\"PONTO_00\"\tvalue=-1\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_SendAllPointers(name, 100, 0, 50) == RESULT(21));
    checkReceived("W_SendAllPointers", "PONTO_00", NULL, 3, 100, 0, 50);
    expect("W_SendAllPointers", RESULT(21),
           "name[8]=\"PONTO_00\"\tfirst=100\tsecond=0\tthird=50\tout.name[8]=\"PONTO_00\"");

    char employee[] = "Ana Lu\xedsa";
    CHECK(pW_SendEmployerName(name, 53, employee, 1053, 1) == RESULT(22));
    checkReceived("W_SendEmployerName", "PONTO_00", employee, 3, 53, 1053, 1);
    expect("W_SendEmployerName", RESULT(22),
           "name[8]=\"PONTO_00\"\temployee=53\ttext[9]=\"Ana Lu\\xEDsa\"\tcardCode=1053\tlast=1"
           "\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_ClearEmployerName(name, 1000) == RESULT(23));
    checkReceived("W_ClearEmployerName", "PONTO_00", NULL, 1, 1000);
    expect("W_ClearEmployerName", RESULT(23),
           "name[8]=\"PONTO_00\"\temployee=1000\tout.name[8]=\"PONTO_00\"");

    CHECK(pW_Kill(name) == RESULT(-24));
    checkReceived("W_Kill", "PONTO_00", NULL, 0);
    expect("W_Kill", RESULT(-24),
           missing ? "name[8]=\"PONTO_00\"\tout.name[8]=\"PONTO_00\""
                   : "name[8]=\"PONTO_00\"\tout.name[4]=\"PONT\"");

    char clockName[10] = "         ";
    int32_t index = 0, seconds = 0, cardCode = 0, orValue = 0, code = 0;
    uint8_t aux1 = 0, justification = 0, presence = 0;
    CHECK(pW_ReceiveEntry(clockName, &index, &seconds, &cardCode, &aux1, &justification,
                          &presence, &orValue, &code)
          == RESULT(1));
    if (fakeRecord) {
        const FakeRecord *r = fakeRecord();
        CHECK(r->pointers[0] == clockName && r->pointers[1] == &index
              && r->pointers[4] == &aux1 && r->pointers[8] == &code);
    }
    expect("W_ReceiveEntry", RESULT(1),
           missing ? "out.clockName[9]=\"         \"\tout.index=0\tout.seconds=0\tout.cardCode=0"
                     "\tout.aux1=0\tout.justification=0\tout.presence=0\tout.orValue=0\tout.code=0"
                   : "out.clockName[9]=\"N\\xE3o\\x00     \"\tout.index=12\tout.seconds=976190400"
                     "\tout.cardCode=1053\tout.aux1=255\tout.justification=7\tout.presence=1"
                     "\tout.orValue=-5\tout.code=99");

#undef RESULT
}

int main(int argc, char **argv)
{
    const int missing = argc > 1 && strcmp(argv[1], "missing") == 0;
    static wchar_t folder[MAX_PATH], path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(NULL, folder, MAX_PATH);
    while (length > 0 && folder[length - 1] != L'\\' && folder[length - 1] != L'/')
        --length;
    folder[length] = 0;

    _snwprintf(path, MAX_PATH + 32, L"%lsKestCom.trace.txt", folder);
    DeleteFileW(path);
    SetEnvironmentVariableW(L"KESTCOM_TRACE_FILE", NULL);

    wchar_t library[MAX_PATH + 32];
    _snwprintf(library, MAX_PATH + 32, L"%lsKestCom.dll", folder);
    HMODULE trace = LoadLibraryW(library);
    if (!trace) {
        fprintf(stderr, "FAIL: KestCom.dll does not load (error %lu)\n", GetLastError());
        return 1;
    }
    if (bindAll(trace) != 25)
        return 1;

    callEverything(missing);

    if (missing) {
        CHECK(fakeRecord == NULL);
    } else {
        CHECK(fakeRecord != NULL);
    }
    checkTrace(path, missing);

    if (failures) {
        fprintf(stderr, "%d failure(s)\n", failures);
        return 1;
    }
    printf("%s: 25 operations traced as expected\n",
           missing ? "without a real library" : "in front of the fake library");
    return 0;
}
