#pragma once
// The panel's painted parts: the character display and a lamp.

#include "terminal/panel/PanelRules.h"

#include <QWidget>

namespace terminal::panel {

class DisplayWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit DisplayWidget(QWidget *parent = nullptr);
    void setLines(const DisplayLines &lines);
    const DisplayLines &lines() const { return m_lines; }
    QSize sizeHint() const final;

protected:
    void paintEvent(QPaintEvent *) final;

private:
    QSize cellSize() const;
    DisplayLines m_lines;
};

class LampWidget final : public QWidget
{
    Q_OBJECT
public:
    LampWidget(const QString &label, QColor litColour, QWidget *parent = nullptr);
    void setLit(bool lit);
    bool isLit() const { return m_lit; }
    QSize sizeHint() const final;

protected:
    void paintEvent(QPaintEvent *) final;

private:
    QString m_label;
    QColor m_colour;
    bool m_lit = false;
};

} // namespace terminal::panel
