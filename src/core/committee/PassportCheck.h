#pragma once

#include "core/committee/PassportFiles.h"

// Exit statuses of the committee's commands.
constexpr int kAllSound = 0;
constexpr int kSomeBroken = 1;
constexpr int kUsageError = 2;
constexpr int kOutputError = 3;

// One line per file found, "PATH: OK" or "PATH: first problem", then the summary line; notes
// about the walk go to `err`. Returns kAllSound or kSomeBroken.
int checkPassports(const PathList& roots, Output& out, Output& err);
