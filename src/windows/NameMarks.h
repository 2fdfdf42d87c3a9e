#pragma once

#include "core/shell/Windows1251.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QLineEdit;

// A name is stored in Windows-1251, a character it lacks as "?", yet the edit shows what was typed:
// such characters are marked where they stand, and the edit's tooltip names them.
class NameMarks : public QObject
{
    Q_OBJECT

public:
    // Owned by the edit.
    explicit NameMarks(QLineEdit* edit);

    const QList<Cp1251Gap>& marked() const { return m_gaps; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void follow();
    void paintMarks();

    QPointer<QLineEdit> m_edit;
    QList<Cp1251Gap> m_gaps;
    bool m_painting = false;
};
