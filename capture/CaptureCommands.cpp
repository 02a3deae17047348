#include "capture/CaptureCommands.h"

#include "app/FormContext.h"
#include "app/WindowState.h"
#include "capture/CaptureFile.h"

namespace capture {

void Capture(FormContext &) {}
void Restore(FormContext &) {}
void AppendCaptureRecord(FormContext &, const ReceivedEntry &) {}

void CloseCaptureFile(FormContext &ctx)
{
    if (ctx.state.CaptureFileOpen == 1) {
        ctx.file1.close();
        ctx.state.CaptureFileOpen = 0;
    }
}

} // namespace capture
