#include "TestForm.h"

#include "terminal/engine/SimTerminalTest.h"

#include <QCoreApplication>
#include <QDir>

QDateTime TestNow()
{
    return QDateTime(QDate(2026, 12, 7), QTime(12, 0, 0));
}

std::unique_ptr<KestComLibrary> bindSimulatedTerminal()
{
    return KestComLibrary::bind(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("KestComSim")));
}

SimForm::SimForm()
{
    Sim_Reset();
    lib = bindSimulatedTerminal();
    t = std::make_unique<TestFormWith<KestComLibrary>>(*lib);
}
