#pragma once

#include <QStringList>

// The lines of the message a save right after start-up must show: the core builds it, the window
// shows it, and both are held to this one text.
inline const QStringList kIncompleteAtStartUpLines = {
    "Для записи электронного паспорта в файл необходимо заполнить следующие поля:",
    "",
    " - Название работы",
    " - Описание работы",
    " - Не задан ни один раздел",
    " - Не указан ни один автор",
    " - Не указан ни один руководитель",
    "",
    "Паспорт работы не сохранен.",
};
