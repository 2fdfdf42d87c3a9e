#pragma once

#include "core/passport/TextFields.h"

#include <QString>
#include <functional>

class MemoEdit;
class QLineEdit;
class QObject;
class QWidget;

// The control of one row of the text field table, a line edit or a memo, found by its objectName.
class TextFieldControl
{
public:
    TextFieldControl() = default;
    TextFieldControl(const QWidget& window, const PassportTextField& field);

    const PassportTextField& field() const { return *m_field; }
    QString text() const;
    void setText(const QString& text) const;
    void applyLimit() const;
    // Calls `changed` whenever the text changes, typed or set.
    void onTextChanged(QObject* context, const std::function<void()>& changed) const;

private:
    const PassportTextField* m_field = nullptr;
    QLineEdit* m_edit = nullptr;
    MemoEdit* m_memo = nullptr;
};
