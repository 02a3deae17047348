#pragma once
// A main window wired to a test double of the library, with message boxes
// recorded and the PC's clock fixed.

#include "FakeKestCom.h"
#include "RecordingMessages.h"

#include "app/ClockTestForm.h"
#include "app/PcClock.h"
#include "link/KestComLibrary.h"

#include <QDateTime>

#include <memory>

// 2026-12-07 12:00:00, local time.
QDateTime TestNow();

template <typename Lib>
struct TestFormWith
{
    Lib &lib;
    RecordingMessages messages;
    FixedPcClock pcClock{TestNow()};
    ClockTestForm form{lib, messages, pcClock};
    bool ended = false;

    explicit TestFormWith(Lib &l) : lib(l) { form.setEndProgram([this] { ended = true; }); }
    Controls &c() { return form.controls(); }
    WindowState &state() { return form.state(); }
    FormContext &ctx() { return form.context(); }
};

// With the recording fake.
struct FakeForm
{
    FakeKestCom fake;
    TestFormWith<FakeKestCom> t{fake};
    Controls &c() { return t.c(); }
    WindowState &state() { return t.state(); }
    FormContext &ctx() { return t.ctx(); }
    RecordingMessages &messages() { return t.messages; }
    ClockTestForm &form() { return t.form; }
};

// The in-process simulated terminal (libKestComSim beside the test), bound
// by operation name as the program binds its library; the test's own calls
// of its Sim_ functions reach the same loaded copy.
std::unique_ptr<KestComLibrary> bindSimulatedTerminal();

// The simulated terminal, bound by name as the program binds it.
// Sim_Reset() is called first, so every SimForm starts from an empty terminal.
struct SimForm
{
    SimForm();
    std::unique_ptr<KestComLibrary> lib;
    std::unique_ptr<TestFormWith<KestComLibrary>> t;
    Controls &c() { return t->c(); }
    WindowState &state() { return t->state(); }
    FormContext &ctx() { return t->ctx(); }
    RecordingMessages &messages() { return t->messages; }
    ClockTestForm &form() { return t->form; }
};
