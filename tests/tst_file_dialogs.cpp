#include "support/DialogScripts.h"
#include "support/Files.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

// Qt's own file dialogs as the program shows them on a Russian desktop: every text Qt puts into
// them, the file list's columns included, is Russian, whatever locale the desktop runs in.
class FileDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void noEnglishInTheDialogs_data();
    void noEnglishInTheDialogs();

private:
    QTemporaryDir m_dir;
    QString m_folder;
};

namespace {

// The folder's entries as the dialogs list them: a folder, a passport, a picture and a file of no
// known type, each with a size, a type and a date.
const QStringList kEntries = {QStringLiteral("Работы"), QStringLiteral("Сказка.qdx.xml"), QStringLiteral("Рисунок.jpg"),
                              QStringLiteral("Заметки")};

QString withoutMnemonics(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?=\\S)")));
}

// Every text a user or a screen reader meets in the dialog: titles, labels, buttons, fields, the
// drop-down lists, tips, the menu commands, and every cell and heading of the file views.
QStringList shownTexts(QWidget& dialog)
{
    QStringList texts{dialog.windowTitle()};
    QList<QWidget*> widgets = dialog.findChildren<QWidget*>();
    widgets.append(&dialog);
    for (QWidget* widget : widgets) {
        texts << widget->toolTip() << widget->whatsThis() << widget->accessibleName() << widget->accessibleDescription()
              << widget->statusTip();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            texts << edit->text() << edit->placeholderText();
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
            const QAbstractItemModel& model = *view->model();
            const QModelIndex root = view->rootIndex();
            for (int column = 0; column < model.columnCount(root); ++column)
                texts << model.headerData(column, Qt::Horizontal).toString();
            for (int row = 0; row < model.rowCount(root); ++row) {
                for (int column = 0; column < model.columnCount(root); ++column) {
                    const QModelIndex cell = model.index(row, column, root);
                    texts << model.data(cell).toString() << model.data(cell, Qt::ToolTipRole).toString();
                }
            }
        }
    }
    for (QAction* action : dialog.findChildren<QAction*>())
        texts << action->text() << action->toolTip();
    for (QString& text : texts)
        text = withoutMnemonics(text);
    return texts;
}

// Runs of Latin letters: the words a Russian text must not have, apart from names of files and
// folders, what the program itself gave the dialog, and the names of file formats.
QSet<QString> latinRuns(const QStringList& texts)
{
    static const QRegularExpression kRun(QStringLiteral("[A-Za-z]+"));
    QSet<QString> runs;
    for (const QString& text : texts) {
        for (const QRegularExpressionMatch& match : kRun.globalMatch(text))
            runs.insert(match.captured());
    }
    return runs;
}

// The folder's list with a type and a date in every row (a folder has no size): Qt fills the
// columns in from a thread.
bool listed(QFileDialog& dialog, int entries)
{
    auto* view = dialog.findChild<QAbstractItemView*>(QStringLiteral("treeView"));
    if (!view || !view->model())
        return false;
    const QAbstractItemModel& model = *view->model();
    const QModelIndex root = view->rootIndex();
    if (model.rowCount(root) != entries || model.columnCount(root) < 4)
        return false;
    for (int row = 0; row < entries; ++row) {
        for (int column = 2; column < 4; ++column) {
            if (model.data(model.index(row, column, root)).toString().isEmpty())
                return false;
        }
    }
    return true;
}

} // namespace

void FileDialogsTest::initTestCase()
{
    installRussianTranslations(*qApp);
    // Qt's catalogue is a package of its own: without it this test would find only what it lacks.
    QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QLatin1String("Look in:"));
    QVERIFY(m_dir.isValid());
    m_folder = m_dir.path() + QStringLiteral("/Паспорта");
    QVERIFY(QDir().mkpath(m_folder + u'/' + kEntries.at(0)));
    QVERIFY(writeAll(m_folder + u'/' + kEntries.at(1), "<lumarinda/>"));
    QVERIFY(writeAll(m_folder + u'/' + kEntries.at(2), QByteArray::fromHex("ffd8ffe000104a464946")));
    QVERIFY(writeAll(m_folder + u'/' + kEntries.at(3), QByteArray(3000, '\0')));
}

void FileDialogsTest::noEnglishInTheDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::newRow("open picture") << "picture" << QString() << "JPEG Image File (*.jpg;*.jpeg) (*.jpg *.jpeg)";
    QTest::newRow("save passport") << "save"
                                   << "Сохранение файла паспорта работы"
                                   << "Паспорт работы Фестиваля «Lumarinda» (*.qdx.xml)";
    QTest::newRow("open passport") << "open"
                                   << "Открытие файла паспорта работы"
                                   << "Паспорт работы Фестиваля «Lumarinda» (*.qdx.xml)";
}

void FileDialogsTest::noEnglishInTheDialogs()
{
    QFETCH(QString, dialog);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    // Every entry of the folder is shown: the filter is widened once the dialog is up.
    QStringList texts;
    bool walked = false;
    whenModal([&](QWidget* modal) {
        // Closed however the steps end, so that a failure fails the test instead of hanging it.
        const auto close = qScopeGuard([modal] { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); });
        auto* fileDialog = qobject_cast<QFileDialog*>(modal);
        QVERIFY(fileDialog);
        fileDialog->setNameFilter(QStringLiteral("(*)"));
        fileDialog->setDirectory(m_folder);
        QTRY_VERIFY_WITH_TIMEOUT(listed(*fileDialog, int(kEntries.size())), 60000);
        fileDialog->setNameFilter(filter);
        texts = shownTexts(*fileDialog);
        walked = true;
    });
    QtDesktopServices services;
    if (dialog == QLatin1String("picture")) {
        services.openPictureFile(filter);
    } else if (dialog == QLatin1String("save")) {
        SaveDialogRequest request;
        request.title = title;
        request.filterDescription = QStringLiteral("Паспорт работы Фестиваля «Lumarinda»");
        request.filterPattern = QStringLiteral("*.qdx.xml");
        request.defaultSuffix = QStringLiteral("qdx.xml");
        request.proposedName = QStringLiteral("Сказка");
        services.saveFile(request);
    } else {
        services.openPassportFile(title, filter);
    }
    QVERIFY(walked);

    // The names of files and folders on the way and what the program gave are not Qt's words.
    QStringList ours = kEntries;
    ours << m_folder << QDir::homePath() << QDir::rootPath() << title << filter;
    const QSet<QString> allowed = latinRuns(ours) + QSet<QString>{QStringLiteral("XML"), QStringLiteral("JPEG")};
    QStringList english;
    for (const QString& text : std::as_const(texts)) {
        for (const QString& run : latinRuns({text})) {
            if (!allowed.contains(run))
                english << QStringLiteral("%1 (in \"%2\")").arg(run, text);
        }
    }
    english.removeDuplicates();
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral("; "))));
}

QTEST_MAIN(FileDialogsTest)
#include "tst_file_dialogs.moc"
