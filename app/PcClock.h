#pragma once
// The PC's local date and time, behind a seam that tests can set.

#include <QDateTime>

class PcClock
{
public:
    virtual ~PcClock() = default;
    virtual QDateTime now() const = 0; // local wall-clock time
};

class SystemPcClock final : public PcClock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedPcClock final : public PcClock
{
public:
    explicit FixedPcClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(QDateTime at) { m_at = std::move(at); }

private:
    QDateTime m_at;
};
