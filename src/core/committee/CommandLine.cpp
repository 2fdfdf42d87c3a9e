#include "core/committee/CommandLine.h"

#include "core/committee/PassportCheck.h"
#include "core/committee/PassportList.h"

namespace {

const QString kProgram = QStringLiteral("lumarinda-passport");

using Command = int (*)(const PathList& paths, Output& out, Output& err);

// What the program can be asked to do: the parsing and --help both read this table.
struct Mode
{
    // Empty for the editor, which takes no key.
    QByteArray key;
    QString operands;
    QString purpose;
    // Null for the modes that take no paths.
    Command command = nullptr;
};

const QList<Mode>& modes()
{
    static const QList<Mode> table = {
        {"", QStringLiteral("[ФАЙЛ]"), QStringLiteral("открыть редактор паспорта работы")},
        {"--check", QStringLiteral("ФАЙЛ_ИЛИ_ПАПКА..."), QStringLiteral("проверить паспорта"), &checkPassports},
        {"--list", QStringLiteral("ФАЙЛ_ИЛИ_ПАПКА..."), QStringLiteral("перечислить исправные паспорта в CSV"),
         &listPassports},
        {"--help", QString(), QStringLiteral("показать эту справку")},
        {"--version", QString(), QStringLiteral("показать версию")},
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

// The usage column is this wide, so that the purposes line up.
constexpr qsizetype kUsageWidth = 28;

int usageError(Output& err, const QString& problem)
{
    err << QStringLiteral("%1: %2\nПодробнее: %1 --help\n").arg(kProgram, problem);
    err.flush();
    return kUsageError;
}

QString commandLineHelp()
{
    QString help = QStringLiteral("Использование:\n");
    for (const Mode& mode : modes()) {
        QStringList usage;
        if (!mode.key.isEmpty())
            usage << QString::fromLatin1(mode.key);
        if (!mode.operands.isEmpty())
            usage << mode.operands;
        help +=
            QStringLiteral("  %1 %2 %3\n").arg(kProgram, usage.join(u' ').leftJustified(kUsageWidth - 1), mode.purpose);
    }
    return help + QStringLiteral(
                      "\n"
                      "В папках берутся все файлы *.qdx.xml (буквы любого регистра), во вложенных папках тоже;\n"
                      "названные файлы проверяются при любом имени. Путь, который начинается с «-», пишите после "
                      "«--».\n"
                      "\n"
                      "--check печатает по строке на файл: «OK» или первую найденную ошибку, затем итог.\n"
                      "--list пишет CSV (UTF-8 с меткой порядка байтов, строки через CR LF), по строке на исправный\n"
                      "паспорт; о повреждённых файлах сообщает в стандартный поток ошибок.\n"
                      "\n"
                      "Код завершения: 0 - все паспорта исправны, 1 - есть ошибки, 2 - неверный вызов,\n"
                      "3 - вывод не записан (нет места на диске, канал закрыт).\n");
}

QString commandLineVersion()
{
    return QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(LUMARINDA_VERSION));
}

int runMode(const QByteArrayList& args, Output& out, Output& err)
{
    const QByteArray key = args.value(0);
    const Mode* mode = modeOf(key);
    if (!mode)
        return usageError(err, QStringLiteral("неизвестный ключ «%1»").arg(displayPath(key)));
    if (!mode->command) {
        if (args.size() > 1)
            return usageError(err, QStringLiteral("у %1 нет аргументов").arg(QString::fromLatin1(key)));
        out << (key == "--help" ? commandLineHelp() : commandLineVersion());
        out.flush();
        return kAllSound;
    }

    PathList paths;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QByteArray& arg = args.at(i);
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith('-') && arg != "-")
            return usageError(err, QStringLiteral("неизвестный ключ «%1»").arg(displayPath(arg)));
        if (arg.isEmpty())
            return usageError(err, QStringLiteral("пустой путь"));
        paths << arg;
    }
    if (paths.isEmpty())
        return usageError(err, QStringLiteral("%1: не указаны файлы или папки").arg(QString::fromLatin1(key)));
    return mode->command(paths, out, err);
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
