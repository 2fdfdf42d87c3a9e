#pragma once

#include <QString>

// The advice shown in the "Помощь" panels. Field texts use CR LF line breaks; the fixed panels
// are given line by line as they stand.
namespace HelpTexts {

QString titleText();
QString descriptionText();
QString techRequestText();
QString manualText();
QString contactsText();

// What the work page's panel shows before any field is entered.
QString initialWorkPanel();

QString picturePanel();  // Memo5
QString authorsPanel();  // Memo1
QString commentsPanel(); // Memo2

} // namespace HelpTexts
