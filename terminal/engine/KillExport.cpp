// W_Kill on its own, so the build without it can leave it out.

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"

extern "C" KESTCOM_EXPORT int32_t KESTCOM_CALL W_Kill(char *name)
{
    return terminal::engine::KillCommand(name);
}
