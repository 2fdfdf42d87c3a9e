#pragma once

#include <QPlainTextEdit>

// A multi-line field as the passport holds it: line breaks are CR LF, and the length limit counts
// each line break as two characters, on typing and on paste alike. Tab moves the focus.
class MemoEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MemoEdit(QWidget* parent = nullptr);

    // 0 means no limit.
    void setMaxLength(int maxLength);
    int maxLength() const { return m_maxLength; }

    // The text with CR LF line breaks.
    QString text() const;
    // Accepts CR LF, LF or CR line breaks.
    void setText(const QString& text);

    // Length as the limit counts it.
    int heldLength() const;

private:
    void enforceLimit(int position, int added);

    int m_maxLength = 0;
    bool m_trimming = false;
};
