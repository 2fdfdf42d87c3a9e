#include "windows/Startup.h"

#include "windows/Add.h"
#include "windows/Form.h"
#include "windows/Subj.h"
#include "windows/WholeCharacters.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

const char* const kTahomaFiles[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
};

} // namespace

void installRussianTranslations(QApplication& application)
{
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    // The file types in Qt's dialogs follow the default locale, whatever the desktop's.
    QLocale::setDefault(russian);
    auto* translator = new QTranslator(&application);
    if (translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
    // Installed last, so asked first: only what Qt's catalogue lacks.
    auto* ours = new QTranslator(&application);
    if (ours->load(QStringLiteral(":/translations/qt_extra_ru.qm")))
        QApplication::installTranslator(ours);
    else
        delete ours;
}

QString installApplicationFont()
{
    QString family;
    for (const char* path : kTahomaFiles) {
        if (!QFile::exists(QString::fromLatin1(path)))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (family.isEmpty() && !families.isEmpty())
            family = families.constFirst();
    }
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont(family);
    font.setPixelSize(11);
    QApplication::setFont(font);
    return font.family();
}

void openPassportFromArguments(TPasport& window, const QStringList& arguments)
{
    const QString path = arguments.isEmpty() || arguments.constFirst().isEmpty()
                             ? QString()
                             : QFileInfo(arguments.constFirst()).absoluteFilePath();
    QMetaObject::invokeMethod(
        &window,
        [&window, path] {
            if (!window.offerLeftDrafts(path) && !path.isEmpty())
                window.openPassport(path);
        },
        Qt::QueuedConnection);
}

EditorWindows::EditorWindows(DesktopServices& services) : Pasport(std::make_unique<TPasport>(services))
{
    Subjects = new TSubjects(Pasport.get());
    Form1 = new TForm1(Pasport.get());
    Pasport->setDialogs(Subjects, Form1);
    keepCharactersWhole(*Pasport);
}

EditorWindows::~EditorWindows() = default;
