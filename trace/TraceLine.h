/* One line of the call trace, built field by field before it is written in
   one piece. Every field after the first starts with a tab; texts are
   escaped so that a line never holds a tab, a newline or a raw byte outside
   printable ASCII. */
#ifndef VELMORA_TRACE_LINE_H
#define VELMORA_TRACE_LINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TraceLine
{
    char *data;      /* local, or the heap once the line outgrows it */
    size_t length;
    size_t capacity;
    int cut;         /* memory ran out: the line ends early */
    char local[768];
} TraceLine;

/* A TraceLine points into itself: initialise it in place, never copy it. */
void traceLineInit(TraceLine *line);
void traceLineFree(TraceLine *line);

void traceLineAppend(TraceLine *line, const char *bytes, size_t count);
void traceLineAppendString(TraceLine *line, const char *text);
void traceLineAppendDecimal(TraceLine *line, int64_t value);
/* Printable ASCII as it is; \\ \" \t \n \r; every other byte as \xHH. */
void traceLineAppendEscaped(TraceLine *line, const char *bytes, size_t count);
/* Ends the line with a newline, also when it was cut. */
void traceLineEnd(TraceLine *line);

/* The argument fields, each with its leading tab:
   key=-12                    a number
   key=null                   a null pointer
   key[8]="PONTO_00"          a text: its length in bytes up to the zero
   key[9]="AB\x00      "      a fixed-size buffer, every byte shown */
void traceLineNumber(TraceLine *line, const char *key, int64_t value);
void traceLineInt32At(TraceLine *line, const char *key, const int32_t *value);
void traceLineByteAt(TraceLine *line, const char *key, const uint8_t *value);
void traceLineText(TraceLine *line, const char *key, const char *text);
void traceLineBytes(TraceLine *line, const char *key, const char *bytes, size_t count);

/* "2026-12-07 12:00:00.000001": out must hold 27 bytes. */
void traceFormatTimestamp(char *out, int year, int month, int day, int hour, int minute,
                          int second, long microsecond);
/* Nanoseconds as microseconds with three decimals: 1234 gives "1.234". */
void traceLineAppendMicroseconds(TraceLine *line, int64_t nanoseconds);

#ifdef __cplusplus
}
#endif

#endif
