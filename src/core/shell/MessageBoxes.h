#pragma once

#include <QString>
#include <QStringList>

// Modal message boxes and questions, owned by the main window.
class MessageBoxes
{
public:
    enum class Icon
    {
        None,
        Error,
        Warning,
        Information,
        Question,
    };
    enum class Buttons
    {
        Ok,
        YesNo,
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
    };

    virtual ~MessageBoxes() = default;

    // Only Yes counts as consent.
    virtual Answer messageBox(const QString& text, const QString& caption, Icon icon, Buttons buttons) = 0;
    // The application title as caption, no icon, OK.
    virtual void plainMessage(const QString& text) = 0;
    // A question icon and the given buttons in their order; the default button also answers Esc
    // and the close box. Returns the position of the button pressed.
    virtual int choiceBox(const QString& text, const QString& caption, const QStringList& buttons,
                          int defaultButton) = 0;
};
