/* What the fake vendor library last received, so that the test host can
   check that the trace library forwarded every argument unchanged. */
#ifndef VELMORA_FAKE_RECORD_H
#define VELMORA_FAKE_RECORD_H

#include <stdint.h>

typedef struct FakeRecord
{
    char operation[32];
    int32_t numbers[10]; /* the number arguments, in order */
    int numberCount;
    char texts[2][64];   /* the text arguments in order, the name first */
    int textCount;
    const void *pointers[9]; /* the buffers W_ReadPointers and W_ReceiveEntry were given */
} FakeRecord;

#endif
