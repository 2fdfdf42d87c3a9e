#include "core/sections/SectionCatalogue.h"

#include <array>

namespace Sections {
namespace {

struct Row
{
    const char16_t* title;
    const char16_t* caption;
    Kind kind;
};

const std::array<Row, 29> kRows = {{
    {u"", u"", Kind::None},
    {u"Астрономия, космонавтика и авиация", u"Астрономия, космонавтика и авиация", Kind::Research},
    {u"Биология", u"Биология", Kind::Research},
    {u"География", u"География", Kind::Research},
    {u"История, археология", u"История, археология", Kind::Research},
    {u"Искусствоведение", u"Искусствоведение", Kind::Research},
    {u"Лингвистика", u"Лингвистика:", Kind::Research},
    {u"Литературоведение", u"Литературоведение", Kind::Research},
    {u"Математика", u"Математика", Kind::Research},
    {u"Религиоведение", u"Религиоведение", Kind::Research},
    {u"Экономика, социология и право", u"Экономика, социология и право", Kind::Research},
    {u"Физика", u"Физика", Kind::Research},
    {u"Химия", u"Химия", Kind::Research},
    {u"Здоровье человека", u"Здоровье человека", Kind::Research},
    {u"Физкультура и спорт", u"Физкультура и спорт", Kind::Research},
    {u"Экология", u"Экология", Kind::Research},
    {u"Художественное творчество", u"Художественное творчество", Kind::Other},
    {u"Технология", u"Технология", Kind::Other},
    {u"Информатика", u"Информатика", Kind::Other},
    {u"Литературное творчество", u"Литературное творчество", Kind::Other},
    {u"Музыкальное творчество", u"Музыкальное творчество", Kind::Other},
    {u"Краеведение", u"Краеведение", Kind::Other},
    {u"В помощь учителю", u"В помощь учителю", Kind::Additional},
    {u"", u"", Kind::None},
    {u"Конкурс «Учебный проект»", u"Учебный проект", Kind::Competition},
    {u"Русский язык", u"русский язык", Kind::Language},
    {u"Английский язык", u"английский язык", Kind::Language},
    {u"Немецкий язык", u"немецкий язык", Kind::Language},
    {u"", u"другое", Kind::OtherLanguage},
}};

} // namespace

QString catalogueTitle(int id)
{
    if (id < 0 || id >= kTitleCount)
        return {};
    return QString::fromUtf16(kRows[id].title);
}

QString checkBoxCaption(int box)
{
    if (box < 1 || box > kOtherLanguageBox)
        return {};
    return QString::fromUtf16(kRows[box].caption);
}

Kind kindOf(int box)
{
    if (box < 0 || box > kOtherLanguageBox)
        return Kind::None;
    return kRows[box].kind;
}

} // namespace Sections
