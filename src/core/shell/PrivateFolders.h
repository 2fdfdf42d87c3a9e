#pragma once

#include <QString>

// The program's own folders, each ending in "/"; each throws Failure when unusable.
class PrivateFolders
{
public:
    virtual ~PrivateFolders() = default;

    // For the preview files.
    virtual QString tempFolder() = 0;
    // For drafts of unsaved passports.
    virtual QString draftFolder() = 0;
    // For the user's own lists (the people and contacts remembered).
    virtual QString dataFolder() = 0;
};
