// Helper of tst_capturekill: starts a capture into argv[1], appends argv[2]
// entries, says "ready" and waits to be killed.
#include "CaptureTestData.h"
#include "TestForm.h"

#include "capture/CaptureCommands.h"

#include <QApplication>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3)
        return 2;
    FakeForm f;
    f.c().Text23->setText(QString::fromLocal8Bit(argv[1]));
    capture::Capture(f.ctx());
    if (f.state().CaptureFileOpen != 1)
        return 3;
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i)
        capture::AppendCaptureRecord(f.ctx(), TestEntry(i, 976190400 + i, 1000 + i % 1000));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::hours(1));
}
