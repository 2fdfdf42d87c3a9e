#include "core/passport/PassportReader.h"
#include "core/shell/Failure.h"

// Stands in until the reader lands; removed when it is merged.
ReadPassport readPassportDocument(const QByteArray&)
{
    throw Failure(QStringLiteral("Чтение паспорта ещё не готово"));
}
