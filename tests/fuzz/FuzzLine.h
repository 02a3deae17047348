#pragma once
// The line the terminal fuzz targets start from: two terminals, each with
// three card passes at a fixed clock, so that every input meets entries.
#include "terminal/engine/SimTerminalTest.h"

#include <cstdint>

inline void SetUpFuzzLine()
{
    Sim_Reset();
    Sim_SetPcClock(976190400);
    for (const char *name : {"PONTO_00", "PONTO_01"}) {
        Sim_AddTerminal(name);
        for (int32_t card : {1001, 1002, 1003})
            Sim_PassCard(name, card);
    }
}
