#pragma once
// Answers the program's message boxes without showing them, and remembers
// what they said.

#include "app/Messages.h"

#include <QList>
#include <QStringList>

class RecordingMessages final : public Messages
{
public:
    void inform(const QString &text) override { texts << text; }
    bool confirm(const QString &text) override
    {
        texts << text;
        return answers.isEmpty() ? confirmAnswer : answers.takeFirst();
    }
    int count(const QString &text) const { return int(texts.count(text)); }
    void clear() { texts.clear(); }

    QStringList texts;
    bool confirmAnswer = true;
    QList<bool> answers; // taken first, then confirmAnswer
    // Runs while a message is "shown", as a modal box would let events run.
};
