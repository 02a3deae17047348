#include "TestForm.h"

#include "sim/SimTerminalTest.h"

QDateTime TestNow()
{
    return QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0));
}

SimForm::SimForm()
{
    Sim_Reset();
    lib = KestComLibrary::bindDefault();
    t = std::make_unique<TestFormWith<KestComLibrary>>(*lib);
}
