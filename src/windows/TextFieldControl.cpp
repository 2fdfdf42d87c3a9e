#include "windows/TextFieldControl.h"

#include "windows/MemoEdit.h"

#include <QLineEdit>
#include <stdexcept>

TextFieldControl::TextFieldControl(const QWidget& window, const PassportTextField& field) : m_field(&field)
{
    const QString name = QString::fromLatin1(field.objectName);
    if (field.memo)
        m_memo = window.findChild<MemoEdit*>(name);
    else
        m_edit = window.findChild<QLineEdit*>(name);
    // A row naming a control the form does not have is a fault of the build, never of the user.
    if (!m_memo && !m_edit)
        throw std::logic_error("text field without a control: " + std::string(field.objectName));
}

QString TextFieldControl::text() const
{
    return m_memo ? m_memo->text() : m_edit->text();
}

void TextFieldControl::setText(const QString& text) const
{
    if (m_memo)
        m_memo->setText(text);
    else
        m_edit->setText(text);
}

void TextFieldControl::applyLimit() const
{
    if (m_memo)
        m_memo->setMaxLength(m_field->limit);
    else
        m_edit->setMaxLength(m_field->limit);
}

void TextFieldControl::onTextChanged(QObject* context, const std::function<void()>& changed) const
{
    if (m_memo)
        QObject::connect(m_memo, &QPlainTextEdit::textChanged, context, changed);
    else
        QObject::connect(m_edit, &QLineEdit::textChanged, context, changed);
}
