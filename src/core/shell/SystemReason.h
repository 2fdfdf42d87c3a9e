#pragma once

#include <QString>

// The system's reason for a failed file operation, in Russian: the program speaks one language,
// and the C library's and Qt's texts are English on most systems.
QString systemReason(int error);

// The same for a reason Qt gives as text (a file's errorString() after a failure the system reported).
// A text that names no known error gives a general Russian reason.
QString systemReason(const QString& reportedByQt);
