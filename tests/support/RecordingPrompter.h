#pragma once

#include "widgets/Prompter.h"

#include <QList>
#include <QStringList>

// Records every message and answers questions from a script (No when it runs out).
class RecordingPrompter : public tintwright::Prompter {
public:
    void inform(QWidget *, const QString &text) override { texts << text; }
    bool ask(QWidget *, const QString &text) override {
        texts << text;
        return !answers.isEmpty() && answers.takeFirst();
    }

    QStringList texts;
    QList<bool> answers;
};
