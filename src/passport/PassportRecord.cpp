#include "PassportRecord.h"

#include "sections/SectionCatalogue.h"
#include "shell/Text.h"

PassportRecord::PassportRecord()
{
    for (int id = 0; id < Sections::kTitleCount; ++id)
        SubjectTitles[id] = toCp1251(Sections::catalogueTitle(id));
}
