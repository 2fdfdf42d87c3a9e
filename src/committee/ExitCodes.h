#pragma once

// Exit statuses of the committee's commands, as --help tells them.
constexpr int kAllSound = 0;
constexpr int kSomeBroken = 1;
constexpr int kUsageError = 2;
constexpr int kOutputError = 3;
