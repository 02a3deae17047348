#include "TraceLine.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

void traceLineInit(TraceLine *line)
{
    line->data = line->local;
    line->length = 0;
    line->capacity = sizeof line->local;
    line->cut = 0;
}

void traceLineFree(TraceLine *line)
{
    if (line->data != line->local)
        free(line->data);
    traceLineInit(line);
}

/* Room for count more bytes, keeping one for the final newline. */
static int reserve(TraceLine *line, size_t count)
{
    if (line->cut)
        return 0;
    if (count < line->capacity - line->length)
        return 1;
    size_t wanted = line->capacity;
    while (count >= wanted - line->length) {
        if (wanted > ((size_t)-1) / 2) {
            line->cut = 1;
            return 0;
        }
        wanted *= 2;
    }
    char *grown = line->data == line->local ? malloc(wanted) : realloc(line->data, wanted);
    if (!grown) {
        line->cut = 1;
        return 0;
    }
    if (line->data == line->local)
        memcpy(grown, line->local, line->length);
    line->data = grown;
    line->capacity = wanted;
    return 1;
}

void traceLineAppend(TraceLine *line, const char *bytes, size_t count)
{
    if (count == 0 || !reserve(line, count))
        return;
    memcpy(line->data + line->length, bytes, count);
    line->length += count;
}

void traceLineAppendString(TraceLine *line, const char *text)
{
    traceLineAppend(line, text, strlen(text));
}

void traceLineAppendDecimal(TraceLine *line, int64_t value)
{
    char digits[24];
    size_t at = sizeof digits;
    /* Work on the magnitude as unsigned so that INT64_MIN needs no special case. */
    uint64_t magnitude = value < 0 ? 0u - (uint64_t)value : (uint64_t)value;
    do {
        digits[--at] = (char)('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude);
    if (value < 0)
        digits[--at] = '-';
    traceLineAppend(line, digits + at, sizeof digits - at);
}

void traceLineAppendEscaped(TraceLine *line, const char *bytes, size_t count)
{
    static const char hex[] = "0123456789ABCDEF";
    /* Worst case four bytes out for one in; reserving once keeps the loop plain. */
    if (count > ((size_t)-1) / 4 || !reserve(line, count * 4))
        return;
    char *out = line->data + line->length;
    for (size_t i = 0; i < count; ++i) {
        const unsigned char c = (unsigned char)bytes[i];
        switch (c) {
        case '\\': *out++ = '\\'; *out++ = '\\'; break;
        case '"': *out++ = '\\'; *out++ = '"'; break;
        case '\t': *out++ = '\\'; *out++ = 't'; break;
        case '\n': *out++ = '\\'; *out++ = 'n'; break;
        case '\r': *out++ = '\\'; *out++ = 'r'; break;
        default:
            if (c >= 0x20 && c < 0x7f) {
                *out++ = (char)c;
            } else {
                *out++ = '\\';
                *out++ = 'x';
                *out++ = hex[c >> 4];
                *out++ = hex[c & 0xf];
            }
        }
    }
    line->length = (size_t)(out - line->data);
}

void traceLineEnd(TraceLine *line)
{
    /* reserve() always leaves a byte spare, so the newline fits even when cut. */
    line->data[line->length++] = '\n';
}

static void appendKey(TraceLine *line, const char *key)
{
    traceLineAppend(line, "\t", 1);
    traceLineAppendString(line, key);
}

void traceLineNumber(TraceLine *line, const char *key, int64_t value)
{
    appendKey(line, key);
    traceLineAppend(line, "=", 1);
    traceLineAppendDecimal(line, value);
}

void traceLineInt32At(TraceLine *line, const char *key, const int32_t *value)
{
    if (value) {
        traceLineNumber(line, key, *value);
    } else {
        appendKey(line, key);
        traceLineAppendString(line, "=null");
    }
}

void traceLineByteAt(TraceLine *line, const char *key, const uint8_t *value)
{
    if (value) {
        traceLineNumber(line, key, *value);
    } else {
        appendKey(line, key);
        traceLineAppendString(line, "=null");
    }
}

void traceLineBytes(TraceLine *line, const char *key, const char *bytes, size_t count)
{
    appendKey(line, key);
    if (!bytes) {
        traceLineAppendString(line, "=null");
        return;
    }
    traceLineAppend(line, "[", 1);
    traceLineAppendDecimal(line, (int64_t)count);
    traceLineAppend(line, "]=\"", 3);
    traceLineAppendEscaped(line, bytes, count);
    traceLineAppend(line, "\"", 1);
}

void traceLineText(TraceLine *line, const char *key, const char *text)
{
    traceLineBytes(line, key, text, text ? strlen(text) : 0);
}

void traceFormatTimestamp(char *out, int year, int month, int day, int hour, int minute,
                          int second, long microsecond)
{
    snprintf(out, 27, "%04d-%02d-%02d %02d:%02d:%02d.%06ld", year, month, day, hour, minute,
             second, microsecond);
}

void traceLineAppendMicroseconds(TraceLine *line, int64_t nanoseconds)
{
    if (nanoseconds < 0)
        nanoseconds = 0;
    traceLineAppendDecimal(line, nanoseconds / 1000);
    const int fraction = (int)(nanoseconds % 1000);
    const char decimals[4] = {'.', (char)('0' + fraction / 100), (char)('0' + fraction / 10 % 10),
                              (char)('0' + fraction % 10)};
    traceLineAppend(line, decimals, sizeof decimals);
}
