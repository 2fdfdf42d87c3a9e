#pragma once

#include <QList>
#include <QRect>
#include <QTextLayout>

class QLineEdit;
class QPainter;

// The text a line edit shows, laid out as the edit lays it out and placed where the edit draws it,
// so that marks can be drawn over it within the edit's own paint.
class LineEditText
{
public:
    explicit LineEditText(const QLineEdit& edit, const QList<QTextLayout::FormatRange>& formats = {});
    LineEditText(const LineEditText&) = delete;
    LineEditText& operator=(const LineEditText&) = delete;

    // False for a hidden (password) edit or nothing to lay out: nothing is to be drawn then.
    bool isValid() const { return m_valid; }
    // The edit's x of a position in its text.
    qreal x(qsizetype position) const;
    // The row the text takes: its top and height.
    int top() const { return m_cursor.y(); }
    int height() const { return m_cursor.height(); }
    // A painter on the edit, clipped to the inside of its frame and margins.
    void clip(QPainter& painter) const;
    // Draws the laid-out text with its formats.
    void draw(QPainter& painter) const;

private:
    QTextLayout m_layout;
    QTextLine m_line;
    QRect m_cursor;
    QRect m_inside;
    qreal m_originX = 0;
    bool m_valid = false;
};
