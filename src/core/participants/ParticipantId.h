#pragma once

#include <QByteArray>
#include <QString>

// Participant identifiers: nine digits whose last two are a check code of the first seven,
// held and shown only as "XXX-XXX-XXX". Normal forms are single-byte Windows-1251 text.

// Trims codes 0..32 at both ends, drops every "-", converts to Windows-1251, drops every " ".
QByteArray NormalizeParticipantId(const QString& typed);

// Nine decimal digits with a value strictly between 100000000 and 999999999.
bool isAdmissibleParticipantId(const QByteArray& normal);

// Two decimal digits from the first byte of the MD5 of the seven base bytes.
QByteArray ParticipantCheckCode(const QByteArray& base);

// For an admissible normal form: characters 8 and 9 equal the check code of characters 1 to 7.
bool IsParticipantIdValid(const QByteArray& normal);

// For an admissible normal form: "XXX-XXX-XXX".
QByteArray FormatParticipantId(const QByteArray& normal);
