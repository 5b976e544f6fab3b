#pragma once

#include "Prompter.h"

namespace tintwright {

// Plain message boxes: no icon and the application's name as their title.
class MessageBoxPrompter : public Prompter {
public:
    void inform(QWidget *parent, const QString &text) override;
    Answer ask(QWidget *parent, const QString &text) override;
};

} // namespace tintwright
