// A Qt generic plugin the package check loads into the installed program
// through Qt's own QT_QPA_GENERIC_PLUGINS, so the program needs no option
// or log to tell how it came up. Once the main window has shown and settled,
// the probe writes what it sees to the file named after its key
// (QT_QPA_GENERIC_PLUGINS=velmoraprobe:<file>);
// when that file is deleted it closes any message box and then the window,
// so the program ends through its own unload step.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

class NoLinkProbe final : public QObject
{
public:
    explicit NoLinkProbe(const QString &reportPath) : m_reportPath(reportPath)
    {
        connect(&m_tick, &QTimer::timeout, this, &NoLinkProbe::tick);
        m_tick.start(50);
    }

private:
    static QWidget *mainWindow()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("ClockTestForm") && w->isVisible())
                return w;
        }
        return nullptr;
    }

    static QList<QMessageBox *> messageBoxes()
    {
        QList<QMessageBox *> boxes;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
                boxes << box;
        }
        return boxes;
    }

    void tick()
    {
        QWidget *form = mainWindow();
        if (!form)
            return;
        if (!m_shown.isValid())
            m_shown.start();
        // A binding problem is shown once the event loop runs after show();
        // half a second of running events leaves it ample time to appear.
        if (!m_reported && m_shown.elapsed() >= 500) {
            report(form);
            m_reported = true;
            return;
        }
        if (!m_reported || QFile::exists(m_reportPath))
            return;
        const QList<QMessageBox *> boxes = messageBoxes();
        if (!boxes.isEmpty()) {
            for (QMessageBox *box : boxes)
                box->done(QMessageBox::Ok);
            return; // the window on the next tick, once the box's loop is left
        }
        m_tick.stop();
        form->close();
    }

    void report(QWidget *form)
    {
        QStringList lines;
        lines << QStringLiteral("window ") + form->windowTitle();
        for (QMessageBox *box : messageBoxes())
            lines << QStringLiteral("messagebox ") + box->text().simplified();
        QStringList enabled;
        for (QPushButton *b : form->findChildren<QPushButton *>(Qt::FindDirectChildrenOnly)) {
            if (b->isEnabled())
                enabled << b->objectName();
        }
        enabled.sort();
        lines << QStringLiteral("enabled ") + enabled.join(QLatin1Char(' '));
        auto *timer = form->findChild<QTimer *>(QStringLiteral("Timer1"));
        lines << QStringLiteral("timer1 ")
                + (timer ? (timer->isActive() ? QStringLiteral("running") : QStringLiteral("stopped"))
                         : QStringLiteral("missing"));
#ifdef Q_OS_WIN
        // Which KestCom.dll the program bound, as /proc tells it on Linux.
        wchar_t path[MAX_PATH] = {};
        HMODULE bound = GetModuleHandleW(L"KestCom.dll");
        lines << QStringLiteral("bound ")
                + (bound && GetModuleFileNameW(bound, path, MAX_PATH)
                       ? QDir::fromNativeSeparators(QString::fromWCharArray(path))
                       : QStringLiteral("none"));
#endif
        QSaveFile file(m_reportPath);
        if (file.open(QIODevice::WriteOnly)) {
            file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
            file.commit();
        }
    }

    QString m_reportPath;
    QTimer m_tick;
    QElapsedTimer m_shown;
    bool m_reported = false;
};

} // namespace

class NoLinkProbePlugin final : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "velmoraprobe.json")
public:
    QObject *create(const QString &name, const QString &reportPath) override
    {
        if (name != QLatin1String("velmoraprobe") || reportPath.isEmpty())
            return nullptr;
        return new NoLinkProbe(reportPath);
    }
};

#include "NoLinkProbe.moc"
