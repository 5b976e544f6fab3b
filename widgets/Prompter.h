#pragma once

#include <QString>

class QWidget;

namespace tintwright {

// Every message box goes through here, so tests can read the texts and answer.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A modal message with an OK button.
    virtual void inform(QWidget *parent, const QString &text) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool ask(QWidget *parent, const QString &text) = 0;
};

} // namespace tintwright
