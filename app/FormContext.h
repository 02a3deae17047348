#pragma once
// What every command handler is given: the library, the shared state, the
// controls, the message seam and the PC's clock.

class KestCom;
class Messages;
class PcClock;
class LinkButtons;
class CaptureFile;
struct Controls;
struct WindowState;

struct FormContext
{
    KestCom &lib;
    WindowState &state;
    Controls &controls;
    LinkButtons &buttons;
    Messages &messages;
    PcClock &pcClock;
    CaptureFile &file1; // file number 1, shared by capture and restore
};
