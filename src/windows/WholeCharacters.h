#pragma once

class QWidget;

// A line edit cuts text at its maximum length by UTF-16 units, so an emoji pasted or typed at the
// limit would leave half of itself behind: a broken character on the screen and in the passport.
// Every line edit of the window and its dialogs drops such halves as they arrive.
void keepCharactersWhole(QWidget& window);
