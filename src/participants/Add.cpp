#include "Add.h"

TForm1::TForm1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Добавить"));
    setFixedSize(249, 84);
}
