#include "committee/CommandLine.h"

#include "committee/ExitCodes.h"
#include "committee/ForgetPerson.h"
#include "committee/PassportCheck.h"
#include "committee/PassportList.h"
#include "core/passport/PassportDocument.h"
#include "core/people/PeopleMemory.h"

#include <algorithm>
#include <utility>

namespace {

const QString kProgram = QStringLiteral("lumarinda-passport");

// What a command is asked to do.
struct Call
{
    PathList paths;
    // Where the output goes instead of standard output; empty when not named.
    QByteArray outputPath;
    bool quiet = false;
};

using Command = int (*)(const Call& call, Output& out, Output& err);

struct Mode;
// A mode's run: `rest` are the arguments after its key.
using Run = int (*)(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err);

// A key that takes a value, as "-o VALUE", "--output VALUE" or "--output=VALUE" (`target` set),
// or a switch without one, as "-q" or "--quiet" (`flag` set).
struct Option
{
    QByteArray shortKey;
    QByteArray longKey;
    QString value;
    // Lines of the help text.
    QStringList purpose;
    QByteArray Call::*target = nullptr;
    bool Call::*flag = nullptr;
};

// What the program can be asked to do: the parsing and --help both read this table.
struct Mode
{
    // Empty for the editor, which takes no key.
    QByteArray key;
    QString operands;
    QString purpose;
    // Null for the editor, which main() starts itself.
    Run run = nullptr;
    QList<Option> options;
    // What a mode that takes paths does with them.
    Command command = nullptr;
};

int usageError(Output& err, const QString& problem)
{
    err << QStringLiteral("%1: %2\nПодробнее: %1 --help\n").arg(kProgram, problem);
    err.flush();
    return kUsageError;
}

// A mode that takes no arguments.
int withoutArguments(const Mode& mode, const QByteArrayList& rest, Output& err)
{
    if (rest.isEmpty())
        return kAllSound;
    return usageError(err, QStringLiteral("у %1 нет аргументов").arg(QString::fromLatin1(mode.key)));
}

int check(const Call& call, Output& out, Output& err)
{
    return checkPassports(call.paths, call.quiet, out, err);
}

int list(const Call& call, Output& out, Output& err)
{
    // A slip of the hand must not write the list over a passport.
    if (hasPassportSuffix(call.outputPath))
        return usageError(err,
                          QStringLiteral("список не пишется в файл паспорта «%1»").arg(displayPath(call.outputPath)));
    return listPassports(call.paths, call.outputPath, out, err);
}

int withPaths(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err);
int help(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err);
int version(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err);

int forget(const Mode&, const QByteArrayList& rest, Output& out, Output& err)
{
    return forgetPersonCommand(peopleFolderPath(), rest, out, err);
}

const QList<Mode>& modes()
{
    static const Option output{"-o",
                               "--output",
                               QStringLiteral("ВЫВОД"),
                               {QStringLiteral("записать список в файл ВЫВОД вместо стандартного вывода;"),
                                QStringLiteral("имя на .xlsx - таблица Office Open XML, иначе CSV")},
                               &Call::outputPath};
    static const Option quiet{"-q",      "--quiet",
                              QString(), {QStringLiteral("печатать только файлы с ошибками и повторы, затем итог")},
                              nullptr,   &Call::quiet};
    static const QList<Mode> table = {
        {"", QStringLiteral("[ФАЙЛ]"), QStringLiteral("открыть редактор паспорта работы"), nullptr, {}},
        {"--check",
         QStringLiteral("ФАЙЛ_ИЛИ_ПАПКА..."),
         QStringLiteral("проверить паспорта"),
         &withPaths,
         {quiet},
         &check},
        {"--list",
         QStringLiteral("ФАЙЛ_ИЛИ_ПАПКА..."),
         QStringLiteral("перечислить исправные паспорта"),
         &withPaths,
         {output},
         &list},
        {"--forget-person",
         QStringLiteral("ID"),
         QStringLiteral("удалить участника из списка подставляемых имен"),
         &forget,
         {}},
        {"--help", QString(), QStringLiteral("показать эту справку"), &help, {}},
        {"--version", QString(), QStringLiteral("показать версию"), &version, {}},
    };
    return table;
}

const Mode* modeOf(const QByteArray& key)
{
    for (const Mode& mode : modes()) {
        if (!mode.key.isEmpty() && mode.key == key)
            return &mode;
    }
    return nullptr;
}

QString usageOf(const Mode& mode)
{
    QStringList usage;
    if (!mode.key.isEmpty())
        usage << QString::fromLatin1(mode.key);
    for (const Option& option : mode.options) {
        const QString key = QString::fromLatin1(option.shortKey);
        usage << (option.flag ? QStringLiteral("[%1]").arg(key) : QStringLiteral("[%1 %2]").arg(key, option.value));
    }
    if (!mode.operands.isEmpty())
        usage << mode.operands;
    return usage.join(u' ');
}

QString keysOf(const Option& option)
{
    if (option.flag)
        return QStringLiteral("%1, %2").arg(QString::fromLatin1(option.shortKey), QString::fromLatin1(option.longKey));
    return QStringLiteral("%1 %3, %2 %3")
        .arg(QString::fromLatin1(option.shortKey), QString::fromLatin1(option.longKey), option.value);
}

// Lines of two columns, the second lined up.
QString columns(const QList<std::pair<QString, QStringList>>& rows, const QString& indent)
{
    qsizetype width = 0;
    for (const auto& row : rows)
        width = std::max(width, row.first.size());
    QString text;
    for (const auto& [left, right] : rows) {
        for (qsizetype i = 0; i < right.size(); ++i)
            text += indent + (i == 0 ? left : QString()).leftJustified(width + 2) + right.at(i) + u'\n';
    }
    return text;
}

QString commandLineHelp()
{
    QList<std::pair<QString, QStringList>> usage;
    QList<std::pair<QString, QStringList>> keys;
    for (const Mode& mode : modes()) {
        usage.append({usageOf(mode), {mode.purpose}});
        for (const Option& option : mode.options) {
            QStringList purpose = option.purpose;
            purpose.first() = QStringLiteral("(%1) %2").arg(QString::fromLatin1(mode.key), purpose.first());
            keys.append({keysOf(option), purpose});
        }
    }
    return QStringLiteral("Использование:\n") + columns(usage, QStringLiteral("  %1 ").arg(kProgram)) +
           QStringLiteral("\nКлючи:\n") + columns(keys, QStringLiteral("  ")) +
           QStringLiteral(
               "\n"
               "В папках берутся все файлы *.qdx.xml (буквы любого регистра), во вложенных папках тоже;\n"
               "названные файлы проверяются при любом имени. Путь, который начинается с «-», пишите после "
               "«--».\n"
               "\n"
               "--check печатает по строке на файл: «OK» или первую найденную ошибку, затем итог.\n"
               "Файл, который повторяет раньше сохранённый (тот же файл или та же работа: то же название\n"
               "и те же авторы), отмечен: «OK, повторяет ФАЙЛ» или «OK, та же работа, что ФАЙЛ»;\n"
               "повтор не ошибка. --list отмечает повторы в последнем столбце.\n"
               "--list пишет CSV (UTF-8 с меткой порядка байтов, каждое поле в кавычках, строки через CR LF)\n"
               "по строке на исправный паспорт, или таблицу XLSX: лист «Работы» (тексты паспорта в текстовых\n"
               "ячейках), «Сводка» (числа по разделам и языкам) и «С ошибками».\n"
               "О повреждённых файлах сообщает в стандартный поток ошибок.\n"
               "\n"
               "В именах файлов и в тексте ошибок управляющие символы, разделители строк и знаки\n"
               "направления письма показаны как \\xNN или \\uXXXX, обратная косая черта - как \\\\:\n"
               "на каждый файл ровно одна строка.\n"
               "\n"
               "Код завершения: 0 - все паспорта исправны, 1 - есть ошибки, 2 - неверный вызов,\n"
               "3 - вывод не записан (нет места на диске, канал закрыт, файл не создаётся).\n");
}

int help(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err)
{
    if (const int status = withoutArguments(mode, rest, err))
        return status;
    out << commandLineHelp();
    out.flush();
    return kAllSound;
}

int version(const Mode& mode, const QByteArrayList& rest, Output& out, Output& err)
{
    if (const int status = withoutArguments(mode, rest, err))
        return status;
    out << QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(LUMARINDA_VERSION));
    out.flush();
    return kAllSound;
}

const Option* optionOf(const Mode& mode, const QByteArray& arg)
{
    for (const Option& option : mode.options) {
        if (arg == option.shortKey || arg == option.longKey || arg.startsWith(option.longKey + '='))
            return &option;
    }
    return nullptr;
}

int withPaths(const Mode& mode, const QByteArrayList& args, Output& out, Output& err)
{
    Call call;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QByteArray& arg = args.at(i);
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith('-') && arg != "-") {
            const Option* option = optionOf(mode, arg);
            if (!option)
                return usageError(err, QStringLiteral("неизвестный ключ «%1»").arg(displayPath(arg)));
            const QString shownKey = QString::fromLatin1(arg.startsWith("--") ? option->longKey : option->shortKey);
            if (option->flag) {
                if (arg.contains('='))
                    return usageError(err, QStringLiteral("у %1 нет значения").arg(shownKey));
                call.*option->flag = true;
                continue;
            }
            QByteArray& value = call.*option->target;
            if (!value.isEmpty())
                return usageError(err, QStringLiteral("ключ %1 указан дважды").arg(shownKey));
            if (arg.contains('='))
                value = arg.mid(option->longKey.size() + 1);
            else if (i + 1 < args.size())
                value = args.at(++i);
            if (value.isEmpty())
                return usageError(err, QStringLiteral("после %1 не указан файл").arg(shownKey));
            continue;
        }
        if (arg.isEmpty())
            return usageError(err, QStringLiteral("пустой путь"));
        call.paths << arg;
    }
    if (call.paths.isEmpty())
        return usageError(err, QStringLiteral("%1: не указаны файлы или папки").arg(QString::fromLatin1(mode.key)));
    return mode.command(call, out, err);
}

int runMode(const QByteArrayList& args, Output& out, Output& err)
{
    const QByteArray key = args.value(0);
    const Mode* mode = modeOf(key);
    if (!mode)
        return usageError(err, QStringLiteral("неизвестный ключ «%1»").arg(displayPath(key)));
    return mode->run(*mode, args.mid(1), out, err);
}

} // namespace

int runCommandLine(const QByteArrayList& args, Output& out, Output& err)
{
    try {
        return runMode(args, out, err);
    } catch (const OutputFailure& failure) {
        try {
            err << QStringLiteral("%1: %2\n").arg(kProgram, failure.message());
            err.flush();
        } catch (const OutputFailure&) {
            // The error stream itself is lost: the exit status alone tells.
        }
        return kOutputError;
    }
}

bool isCommitteeCommand(const QByteArrayList& args)
{
    return !args.isEmpty() && args.constFirst().startsWith("--") && args.constFirst() != "--";
}
