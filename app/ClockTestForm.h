#pragma once
// The program's only window: every control of every command, the load and
// unload steps, and the wiring of each control to its command.

#include "app/Controls.h"
#include "app/FormContext.h"
#include "app/WindowState.h"
#include "capture/CaptureFile.h"
#include "entries/TestRoster.h"

#include <QWidget>

#include <functional>
#include <memory>

class KestCom;
class Messages;
class PcClock;

class ClockTestForm final : public QWidget
{
    Q_OBJECT
public:
    static constexpr const char *kCaption = "Velmora 1.0 Test Program";

    // Builds every control and runs the load step.
    ClockTestForm(KestCom &lib, Messages &messages, PcClock &pcClock, QWidget *parent = nullptr);
    ~ClockTestForm() override;

    Controls &controls() { return m_controls; }
    WindowState &state() { return m_state; }
    FormContext &context() { return m_context; }
    LinkButtons &buttons() { return *m_buttons; }
    const roster::NamePools &namePools() const { return m_pools; }

    // What the unload step calls to end the program; tests replace it.
    void setEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void wireControls();
    void load();
    void unload();

    Controls m_controls;
    WindowState m_state;
    CaptureFile m_file1;
    roster::NamePools m_pools;
    roster::RandomSource m_random;
    std::unique_ptr<LinkButtons> m_buttons;
    FormContext m_context;
    std::function<void()> m_endProgram;
};
