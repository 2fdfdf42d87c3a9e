#include "core/committee/CommandLine.h"

#include "core/committee/PassportCheck.h"
#include "core/committee/PassportList.h"

namespace {

const QString kProgram = QStringLiteral("lumarinda-passport");

int usageError(QTextStream& err, const QString& problem)
{
    err << kProgram << ": " << problem << '\n' << QStringLiteral("Подробнее: %1 --help").arg(kProgram) << Qt::endl;
    return kUsageError;
}

} // namespace

QString commandLineHelp()
{
    return QStringLiteral(
               "Использование:\n"
               "  %1 [ФАЙЛ]                      открыть редактор паспорта работы\n"
               "  %1 --check ФАЙЛ_ИЛИ_ПАПКА...   проверить паспорта\n"
               "  %1 --list ФАЙЛ_ИЛИ_ПАПКА...    перечислить исправные паспорта в CSV\n"
               "  %1 --help                      показать эту справку\n"
               "  %1 --version                   показать версию\n"
               "\n"
               "В папках берутся все файлы *.qdx.xml (буквы любого регистра), во вложенных папках тоже;\n"
               "названные файлы проверяются при любом имени. Путь, который начинается с «-», пишите после «--».\n"
               "\n"
               "--check печатает по строке на файл: «OK» или первую найденную ошибку, затем итог.\n"
               "--list пишет CSV (UTF-8 с меткой порядка байтов, строки через CR LF), по строке на исправный\n"
               "паспорт; о повреждённых файлах сообщает в стандартный поток ошибок.\n"
               "\n"
               "Код завершения: 0 - все паспорта исправны, 1 - есть ошибки, 2 - неверный вызов.\n")
        .arg(kProgram);
}

QString commandLineVersion()
{
    return QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(LUMARINDA_VERSION));
}

int runCommandLine(const QByteArrayList& args, QTextStream& out, QTextStream& err)
{
    const QByteArray mode = args.value(0);
    if (mode == "--help" || mode == "--version") {
        if (args.size() > 1)
            return usageError(err, QStringLiteral("у %1 нет аргументов").arg(QString::fromLatin1(mode)));
        out << (mode == "--help" ? commandLineHelp() : commandLineVersion());
        out.flush();
        return kAllSound;
    }
    if (mode != "--check" && mode != "--list")
        return usageError(err, QStringLiteral("неизвестный ключ «%1»").arg(displayPath(mode)));

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
        return usageError(err, QStringLiteral("%1: не указаны файлы или папки").arg(QString::fromLatin1(mode)));
    return mode == "--check" ? checkPassports(paths, out, err) : listPassports(paths, out, err);
}
