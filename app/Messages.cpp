#include "app/Messages.h"

#include "app/BusyCursor.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {
QString title()
{
    return QCoreApplication::applicationName();
}
} // namespace

void DialogMessages::inform(const QString &text)
{
    NormalCursor normal;
    QMessageBox::information(m_parent, title(), text, QMessageBox::Ok);
}

bool DialogMessages::confirm(const QString &text)
{
    NormalCursor normal;
    return QMessageBox::question(m_parent, title(), text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok)
        == QMessageBox::Ok;
}
