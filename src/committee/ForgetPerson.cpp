#include "committee/ForgetPerson.h"

#include "committee/ExitCodes.h"
#include "core/participants/ParticipantId.h"
#include "core/people/PeopleMemory.h"
#include "core/shell/Failure.h"
#include "core/shell/Wording.h"

int forgetPersonCommand(const QString& folder, const QByteArrayList& arguments, Output& out, Output& err)
{
    const QByteArray normal =
        arguments.size() == 1 ? NormalizeParticipantId(QString::fromLocal8Bit(arguments.at(0))) : QByteArray();
    if (!isAdmissibleParticipantId(normal) || !IsParticipantIdValid(normal)) {
        err << QStringLiteral("Использование: lumarinda-passport --forget-person ID (ID участника вида "
                              "123-456-789 с верным контрольным кодом)\n");
        err.flush();
        return kUsageError;
    }
    const QByteArray id = FormatParticipantId(normal);
    const QString shown = QString::fromLatin1(id);
    bool forgotten = false;
    try {
        forgotten = forgetPerson(folder, id);
    } catch (const Failure& failure) {
        err << QStringLiteral("Список участников не изменен: %1.\n").arg(lowerFirst(failure.message()));
        err.flush();
        return 1;
    }
    out << (forgotten ? QStringLiteral("Участник %1 удален из списка.\n")
                      : QStringLiteral("Участника %1 нет в списке.\n"))
               .arg(shown);
    out.flush();
    return 0;
}
