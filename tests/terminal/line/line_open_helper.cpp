// A second program on the line: opens the port given and prints the result.
#include "terminal/engine/KestComExports.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int port = argc > 1 ? std::atoi(argv[1]) : 1;
    SetConfirmationsTimeout(300, 300);
    const int opened = InitializeCommWithoutError(port, 38400);
    std::printf("%d\n", opened);
    if (opened)
        TerminateComm(port);
    return 0;
}
