#include "app/Messages.h"

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
    QMessageBox::information(m_parent, title(), text, QMessageBox::Ok);
}

bool DialogMessages::confirm(const QString &text)
{
    return QMessageBox::question(m_parent, title(), text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Ok)
        == QMessageBox::Ok;
}
