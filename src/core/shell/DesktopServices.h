#pragma once

#include "core/shell/Clock.h"
#include "core/shell/Dialogs.h"
#include "core/shell/DocumentViewer.h"
#include "core/shell/FileOperations.h"
#include "core/shell/MessageBoxes.h"
#include "core/shell/PrivateFolders.h"

// Everything that talks to the desktop, gathered in one object. Windows call only this, so tests
// can script every answer; a piece that needs one concern takes that concern alone.
class DesktopServices : public MessageBoxes,
                        public Dialogs,
                        public PrivateFolders,
                        public DocumentViewer,
                        public Clock,
                        public FileOperations
{};
