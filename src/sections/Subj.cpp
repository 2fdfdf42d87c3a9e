#include "Subj.h"

TSubjects::TSubjects(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Subjects"));
    setWindowTitle(QStringLiteral("Разделы фестиваля, к которым относится работа"));
    setFixedSize(664, 393);
}
