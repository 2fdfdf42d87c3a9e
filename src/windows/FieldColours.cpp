#include "windows/FieldColours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

void setFieldColour(QWidget* field, FieldColour colour)
{
    const QPalette system = QApplication::palette(field);
    QPalette palette = field->palette();
    switch (colour) {
    case FieldColour::Window:
        palette.setColor(QPalette::Base, system.color(QPalette::Base));
        break;
    case FieldColour::MenuBar:
        palette.setColor(QPalette::Base, system.color(QPalette::Window));
        break;
    case FieldColour::ButtonFace:
        palette.setColor(QPalette::Base, system.color(QPalette::Button));
        break;
    }
    field->setPalette(palette);
}
