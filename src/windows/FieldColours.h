#pragma once

class QWidget;

// Background colours of input fields, taken from the system palette: a field switched on has
// the window background, one switched off the menu-bar colour, a read-only one the button face.
enum class FieldColour
{
    Window,
    MenuBar,
    ButtonFace,
};

void setFieldColour(QWidget* field, FieldColour colour);
