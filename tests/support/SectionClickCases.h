#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTest>
#include <set>

// Click sequences on the section dialog's boxes and the states they must end in: which boxes are
// checked and which are disabled, as lists like "1-5,7". Used by the rule tests and by the
// dialog's own tests, so both are held to one table.
namespace SectionClickCases {

inline std::set<int> boxes(const QString& list)
{
    std::set<int> result;
    for (const QString& part : list.split(u',', Qt::SkipEmptyParts)) {
        const QStringList range = part.split(u'-');
        const int first = range.constFirst().toInt();
        const int last = range.constLast().toInt();
        for (int box = first; box <= last; ++box) {
            if (box != 23)
                result.insert(box);
        }
    }
    return result;
}

inline void addRows()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<QString>("disabled");

    const struct
    {
        const char* name;
        QList<int> clicks;
        const char* checked;
        const char* disabled;
    } rows[] = {
        {"nothing clicked", {}, "", "22,24"},
        {"one main section", {11}, "11", ""},
        {"second main disables the rest", {11, 2}, "2,11", "1,3-10,12-21,25-28"},
        {"other group counts too", {16, 21}, "16,21", "1-15,17-20,25-28"},
        {"a third main cannot be clicked", {11, 2, 5}, "2,11", "1,3-10,12-21,25-28"},
        {"unchecking one of two enables all", {11, 2, 11}, "2", ""},
        {"extras need a main section", {22, 24}, "", "22,24"},
        {"extras beside two mains", {2, 11, 22, 24}, "2,11,22,24", "1,3-10,12-21,25-28"},
        {"extras stay while a main remains", {2, 22, 11, 24, 2}, "11,22,24", ""},
        {"last main unchecks the extras", {2, 22, 24, 2}, "", "22,24"},
        {"extra unchecked by hand", {3, 24, 24}, "3", ""},
        {"linguistics alone ticks russian", {6}, "6,25", ""},
        {"a language ticks linguistics", {26}, "6,26", ""},
        {"other ticks linguistics", {28}, "6,28", ""},
        {"last language unticks linguistics", {26, 26}, "", "22,24"},
        {"russian unticked under linguistics", {6, 25}, "", "22,24"},
        {"other unticked alone", {28, 28}, "", "22,24"},
        {"one language of two unticked", {6, 28, 25}, "6,28", ""},
        {"all languages then all but other off", {25, 26, 27, 28, 25, 26, 27}, "6,28", ""},
        {"unticking linguistics clears all", {6, 26, 27, 28, 6}, "", "22,24"},
        {"linguistics unticked keeps other main", {2, 6, 26, 6}, "2", ""},
        {"linguistics as second main", {6, 2}, "2,6,25", "1,3-5,7-21"},
        {"language as second main", {2, 27}, "2,6,27", "1,3-5,7-21"},
        {"other as second main", {2, 28}, "2,6,28", "1,3-5,7-21"},
        {"languages usable beside two mains", {6, 2, 26, 25}, "2,6,26", "1,3-5,7-21"},
        {"last language frees the limit", {6, 2, 25}, "2", ""},
        {"linguistics off frees the limit", {2, 28, 6}, "2", ""},
        {"no languages beside two other mains", {2, 11, 25, 28, 6}, "2,11", "1,3-10,12-21,25-28"},
        {"linguistics off with extras", {6, 22, 6}, "", "22,24"},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << row.clicks << QString::fromLatin1(row.checked) << QString::fromLatin1(row.disabled);
}

} // namespace SectionClickCases
