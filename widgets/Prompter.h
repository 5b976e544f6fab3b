#pragma once

#include <QString>

class QWidget;

namespace tintwright {

// Every message box goes through here, so tests can read the texts and answer.
class Prompter {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~Prompter() = default;
    // A modal message with an OK button.
    virtual void inform(QWidget *parent, const QString &text) = 0;
    // A modal question with Yes, No and Cancel; Escape and the box's close button are Cancel.
    virtual Answer ask(QWidget *parent, const QString &text) = 0;
};

} // namespace tintwright
