#include "terminal/panel/PanelWidgets.h"

#include <QFontDatabase>
#include <QPainter>

namespace terminal::panel {

namespace {

QFont DisplayFont(const QFont &base)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(base.pointSizeF() * 1.5);
    font.setBold(true);
    return font;
}

constexpr int kMargin = 10;

} // namespace

DisplayWidget::DisplayWidget(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Display"));
}

void DisplayWidget::setLines(const DisplayLines &lines)
{
    if (lines == m_lines)
        return;
    m_lines = lines;
    update();
}

QSize DisplayWidget::cellSize() const
{
    const QFontMetrics metrics(DisplayFont(font()));
    return {metrics.horizontalAdvance(QLatin1Char('M')) + 2, metrics.height() + 4};
}

QSize DisplayWidget::sizeHint() const
{
    const QSize cell = cellSize();
    return {cell.width() * kDisplayColumns + 2 * kMargin,
            cell.height() * kDisplayRows + 2 * kMargin};
}

void DisplayWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QSize cell = cellSize();
    const QSize glass(cell.width() * kDisplayColumns + 2 * kMargin,
                      cell.height() * kDisplayRows + 2 * kMargin);
    const QRect frame(QPoint((width() - glass.width()) / 2, 0), glass);
    p.setPen(QPen(QColor(40, 48, 40), 3));
    p.setBrush(QColor(150, 182, 88));
    p.drawRoundedRect(frame.adjusted(1, 1, -1, -1), 6, 6);

    p.setFont(DisplayFont(font()));
    for (int row = 0; row < kDisplayRows; ++row) {
        const QString &line = m_lines[static_cast<std::size_t>(row)];
        for (int col = 0; col < kDisplayColumns; ++col) {
            const QRect r(frame.left() + kMargin + col * cell.width(),
                          frame.top() + kMargin + row * cell.height(), cell.width() - 1,
                          cell.height() - 1);
            // Unlit cells show faintly, as on a character module.
            p.fillRect(r, QColor(138, 170, 78));
            p.setPen(QColor(24, 32, 20));
            if (col < line.size())
                p.drawText(r, Qt::AlignCenter, line.mid(col, 1));
        }
    }
}

LampWidget::LampWidget(const QString &label, QColor litColour, QWidget *parent)
    : QWidget(parent), m_label(label), m_colour(litColour)
{
    setAccessibleName(label);
    // The event list gives up height first; a lamp never does.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setMinimumHeight(sizeHint().height());
}

void LampWidget::setLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    update();
}

QSize LampWidget::sizeHint() const
{
    const QFontMetrics metrics(font());
    const int d = metrics.height() * 2;
    return {std::max(d, metrics.horizontalAdvance(m_label)) + 8, d + metrics.height() + 10};
}

void LampWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int d = metrics.height() * 2;
    const QRect bulb((width() - d) / 2, 2, d, d);
    QRadialGradient glow(bulb.center(), d / 2.0, bulb.center() - QPoint(d / 6, d / 6));
    const QColor base = m_lit ? m_colour : QColor(70, 70, 70);
    glow.setColorAt(0, m_lit ? base.lighter(170) : QColor(120, 120, 120));
    glow.setColorAt(1, base);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(glow);
    p.drawEllipse(bulb);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(0, bulb.bottom() + 4, width(), metrics.height() + 4), Qt::AlignHCenter,
               m_label);
}

} // namespace terminal::panel
