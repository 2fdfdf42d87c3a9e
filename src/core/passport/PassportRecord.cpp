#include "core/passport/PassportRecord.h"

#include "core/sections/SectionCatalogue.h"
#include "core/shell/Windows1251.h"

PassportRecord::PassportRecord()
{
    for (int id = 0; id < Sections::kTitleCount; ++id)
        SubjectTitles[id] = toCp1251(Sections::catalogueTitle(id));
}
