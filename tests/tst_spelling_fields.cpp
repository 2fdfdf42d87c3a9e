#include "core/spelling/SpellChecker.h"
#include "core/spelling/SpellCheckerLoader.h"
#include "support/EditorTest.h"
#include "support/Typing.h"
#include "windows/SpellChecking.h"
#include "windows/SpellUnderline.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

namespace {

const QString kMisspelt = QStringLiteral("Моя програма на фистиваль");

// The dictionaries load under the sanitizers too, on a busy machine.
constexpr int kLoadTimeout = 120000;

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isRed(QRgb pixel)
{
    // The underline is thin and blended into the white field or the selection.
    return qRed(pixel) > 120 && qRed(pixel) - qGreen(pixel) > 40 && qRed(pixel) - qBlue(pixel) > 40;
}

} // namespace

class SpellingFieldsTest : public EditorTest
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void dictionariesAreReadOnlyOnceTheWindowIsShown();
    void misspeltWordsAreUnderlined_data();
    void misspeltWordsAreUnderlined();
    void otherFieldsAreNotChecked_data();
    void otherFieldsAreNotChecked();
    void lineEditDrawsTheUnderlineUnderTheWord_data();
    void lineEditDrawsTheUnderlineUnderTheWord();
    void wordBeingTypedWaitsUntilTheCursorLeaves_data();
    void wordBeingTypedWaitsUntilTheCursorLeaves();
    void suggestionReplacesTheWordAsOneUndoableEdit_data();
    void suggestionReplacesTheWordAsOneUndoableEdit();
    void suggestionThatWouldNotFitIsDisabled_data();
    void suggestionThatWouldNotFitIsDisabled();
    void correctWordKeepsTheUsualMenu();
    void addedWordIsKnownInANewEditor();
    void skippedWordIsKnownForThisRunOnly();
    void unwritableListIsQuiet();
    void withoutDictionariesNothingChanges();
    void editorEndsWithACheckedFieldInFocus_data();
    void editorEndsWithACheckedFieldInFocus();

private:
    void startEditor();
    QWidget* field(const QString& name) const;
    QStringList underlinedWords(const QString& name) const;
    void setFieldText(const QString& name, const QString& text);
    QMenu* openMenuAt(const QString& name, qsizetype position, bool byMouse);
    static QStringList actionTexts(const QList<QAction*>& actions);

    QTemporaryDir m_dataHome;
};

void SpellingFieldsTest::initTestCase()
{
    QVERIFY(m_dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    qunsetenv("LUMARINDA_HUNSPELL_DIR");
}

void SpellingFieldsTest::init()
{
    QFile::remove(m_dataHome.filePath(QStringLiteral("lumarinda-passport/dictionary.txt")));
    startEditor();
}

void SpellingFieldsTest::cleanup()
{
    // A menu left open would be a stray window.
    if (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTest::qWait(0);
    destroyEditor();
}

void SpellingFieldsTest::startEditor()
{
    createEditor();
    m_windows->Pasport->show();
    auto* spelling = m_windows->Pasport->findChild<SpellChecking*>(QStringLiteral("spelling"));
    QVERIFY(spelling);
    QTRY_VERIFY_WITH_TIMEOUT(spelling->isReady(), kLoadTimeout);
}

QWidget* SpellingFieldsTest::field(const QString& name) const
{
    return find<QWidget>(qPrintable(name));
}

QStringList SpellingFieldsTest::underlinedWords(const QString& name) const
{
    QWidget* widget = field(name);
    auto* underline = widget->findChild<SpellUnderline*>();
    if (!underline)
        return {};
    QString text;
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        text = line->text();
    else
        text = qobject_cast<QPlainTextEdit*>(widget)->document()->toRawText();
    QStringList words;
    for (const WordSpan& span : underline->underlined())
        words << text.mid(span.start, span.length);
    return words;
}

void SpellingFieldsTest::setFieldText(const QString& name, const QString& text)
{
    QWidget* widget = field(name);
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        line->setText(text);
    else
        qobject_cast<QPlainTextEdit*>(widget)->setPlainText(text);
}

QMenu* SpellingFieldsTest::openMenuAt(const QString& name, qsizetype position, bool byMouse)
{
    QWidget* widget = field(name);
    QWidget* target = widget;
    QPoint at;
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setCursorPosition(0);
        for (int x = 0; x < line->width(); ++x) {
            if (line->cursorPositionAt(QPoint(x, line->height() / 2)) == position) {
                at = QPoint(x, line->height() / 2);
                break;
            }
        }
        if (!byMouse)
            line->setCursorPosition(int(position));
    } else {
        auto* memo = qobject_cast<QPlainTextEdit*>(widget);
        QTextCursor cursor(memo->document());
        cursor.setPosition(int(position));
        at = memo->cursorRect(cursor).center();
        if (byMouse)
            target = memo->viewport();
        else
            memo->setTextCursor(cursor);
    }
    QContextMenuEvent event(byMouse ? QContextMenuEvent::Mouse : QContextMenuEvent::Keyboard, at,
                            target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList SpellingFieldsTest::actionTexts(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts << (action->isSeparator() ? QStringLiteral("---") : action->text());
    return texts;
}

void SpellingFieldsTest::dictionariesAreReadOnlyOnceTheWindowIsShown()
{
    destroyEditor();
    createEditor();
    auto* spelling = m_windows->Pasport->findChild<SpellChecking*>(QStringLiteral("spelling"));
    QVERIFY(spelling);
    QCoreApplication::processEvents();
    QVERIFY(!spelling->findChild<SpellCheckerLoader*>());
    QVERIFY(!spelling->isReady());
    m_windows->Pasport->show();
    QTRY_VERIFY_WITH_TIMEOUT(spelling->isReady(), kLoadTimeout);
    setFieldText(QStringLiteral("title"), kMisspelt);
    QCOMPARE(underlinedWords(QStringLiteral("title")), (QStringList{"програма", "фистиваль"}));
}

void SpellingFieldsTest::misspeltWordsAreUnderlined_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("underlined");

    for (const char* name : {"title", "description", "tech_request", "manual", "WorkImgSign"}) {
        QTest::addRow("%s, misspelt", name) << name << kMisspelt << QStringList{"програма", "фистиваль"};
        QTest::addRow("%s, correct", name) << name << "Моя программа на фестиваль, my program" << QStringList{};
        QTest::addRow("%s, English", name) << name << "Windows и recieve" << QStringList{"recieve"};
        QTest::addRow("%s, skipped", name)
            << name << "ПО, mp3-файлы, orgcom@example.org и www.lumarinda.ru" << QStringList{};
    }
    QTest::newRow("memo, second line") << "description"
                                       << "Первая строка\nвторая строкка" << QStringList{"строкка"};
}

void SpellingFieldsTest::misspeltWordsAreUnderlined()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QStringList, underlined);
    setFieldText(name, text);
    QCOMPARE(underlinedWords(name), underlined);

    // In a memo the words carry the spell-check underline format itself.
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field(name))) {
        int formatted = 0;
        for (QTextBlock block = memo->document()->begin(); block.isValid(); block = block.next()) {
            for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
                QCOMPARE(range.format.underlineStyle(), QTextCharFormat::SpellCheckUnderline);
                ++formatted;
            }
        }
        QCOMPARE(formatted, underlined.size());
    }
}

void SpellingFieldsTest::otherFieldsAreNotChecked_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"AuthorsLastname", "AuthorsName", "AuthorsPatronymic", "TeachersLastname", "TeachersName",
          "TeachersPatronymic", "public_post_index", "public_post_address", "public_phone", "public_email", "Notes"})
        QTest::newRow(name) << name;
}

void SpellingFieldsTest::otherFieldsAreNotChecked()
{
    QFETCH(QString, name);
    setFieldText(name, kMisspelt);
    QVERIFY(!field(name)->findChild<SpellUnderline*>());
    if (auto* memo = qobject_cast<QPlainTextEdit*>(field(name)))
        QVERIFY(memo->document()->firstBlock().layout()->formats().isEmpty());
}

void SpellingFieldsTest::lineEditDrawsTheUnderlineUnderTheWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("atEnd");
    QTest::addColumn<bool>("selected");

    QTest::newRow("start of the text") << "програма и ещё слова"
                                       << "програма" << false << false;
    QTest::newRow("scrolled to the end") << QString(QStringLiteral("длинный текст ")).repeated(8) +
                                                QStringLiteral("фистиваль")
                                         << "фистиваль" << true << false;
    QTest::newRow("selected") << "одна програма"
                              << "програма" << false << true;
}

void SpellingFieldsTest::lineEditDrawsTheUnderlineUnderTheWord()
{
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(bool, atEnd);
    QFETCH(bool, selected);
    auto* title = find<QLineEdit>("title");
    title->setText(text);
    title->setCursorPosition(atEnd ? int(text.size()) : 0);
    if (selected)
        title->selectAll();
    QCOMPARE(underlinedWords(QStringLiteral("title")), QStringList{word});

    const qsizetype start = text.indexOf(word);
    const qsizetype end = start + word.size();
    const QImage image = title->grab().toImage();
    int redColumns = 0;
    for (int x = 0; x < image.width(); ++x) {
        bool red = false;
        for (int y = image.height() / 2; y < image.height(); ++y)
            red = red || isRed(image.pixel(x, y));
        if (!red)
            continue;
        ++redColumns;
        const int position = title->cursorPositionAt(QPoint(x, title->height() / 2));
        QVERIFY2(position >= start && position <= end,
                 qPrintable(QStringLiteral("red at x=%1, character %2").arg(x).arg(position)));
    }
    QVERIFY2(redColumns >= title->fontMetrics().horizontalAdvance(word) / 2, qPrintable(QString::number(redColumns)));
}

void SpellingFieldsTest::wordBeingTypedWaitsUntilTheCursorLeaves_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("leaveBy");
    for (const char* name : {"title", "description"}) {
        QTest::addRow("%s, space", name) << name << int(Qt::Key_Space);
        QTest::addRow("%s, Home", name) << name << int(Qt::Key_Home);
        QTest::addRow("%s, focus elsewhere", name) << name << 0;
    }
}

void SpellingFieldsTest::wordBeingTypedWaitsUntilTheCursorLeaves()
{
    QFETCH(QString, name);
    QFETCH(int, leaveBy);
    QWidget* widget = field(name);
    widget->activateWindow();
    widget->setFocus();
    typeText(widget, QStringLiteral("мой фистиваль"));
    QCOMPARE(underlinedWords(name), QStringList{});
    // Taking a letter back is still typing.
    QTest::keyClick(widget, Qt::Key_Backspace);
    typeText(widget, QStringLiteral("ь"));
    QCOMPARE(underlinedWords(name), QStringList{});

    if (leaveBy == Qt::Key_Space)
        typeText(widget, QStringLiteral(" "));
    else if (leaveBy)
        QTest::keyClick(widget, Qt::Key(leaveBy));
    else {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &focusOut);
    }
    QCOMPARE(underlinedWords(name), QStringList{"фистиваль"});
}

void SpellingFieldsTest::suggestionReplacesTheWordAsOneUndoableEdit_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<bool>("typed");
    for (const char* name : {"title", "description", "tech_request", "manual", "WorkImgSign"}) {
        QTest::addRow("%s, mouse", name) << name << true << false;
        QTest::addRow("%s, keyboard", name) << name << false << false;
    }
    QTest::newRow("title, typed") << "title" << true << true;
    QTest::newRow("description, typed") << "description" << true << true;
}

void SpellingFieldsTest::suggestionReplacesTheWordAsOneUndoableEdit()
{
    QFETCH(QString, name);
    QFETCH(bool, byMouse);
    QFETCH(bool, typed);
    QWidget* widget = field(name);
    widget->setEnabled(true);
    if (typed)
        typeText(widget, kMisspelt + QLatin1Char(' '));
    else
        setFieldText(name, kMisspelt);
    const QString before = typed ? kMisspelt + QLatin1Char(' ') : kMisspelt;

    QPointer<QMenu> menu = openMenuAt(name, kMisspelt.indexOf(QStringLiteral("програма")) + 3, byMouse);
    QVERIFY(menu);
    const QStringList texts = actionTexts(menu->actions());
    const qsizetype separator = texts.indexOf(QStringLiteral("---"));
    QVERIFY(separator >= 3 && separator <= SpellChecker::kMaxSuggestions + 2);
    QCOMPARE(texts.first(), QStringLiteral("программа"));
    QCOMPARE(texts.at(separator - 2), QStringLiteral("Добавить в словарь"));
    QCOMPARE(texts.at(separator - 1), QStringLiteral("Пропустить"));
    // Then the field's usual menu.
    QMenu* usual = nullptr;
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        usual = line->createStandardContextMenu();
    else
        usual = qobject_cast<QPlainTextEdit*>(widget)->createStandardContextMenu();
    QCOMPARE(texts.mid(separator + 1), actionTexts(usual->actions()));
    delete usual;

    menu->actions().first()->trigger();
    menu->close();
    QTRY_VERIFY(!menu);
    QString expected = before;
    expected.replace(QStringLiteral("програма"), QStringLiteral("программа"));
    const auto text = [widget] {
        if (auto* line = qobject_cast<QLineEdit*>(widget))
            return line->text();
        return qobject_cast<QPlainTextEdit*>(widget)->toPlainText();
    };
    QCOMPARE(text(), expected);
    QCOMPARE(underlinedWords(name), QStringList{"фистиваль"});

    QVERIFY(QMetaObject::invokeMethod(widget, "undo"));
    QCOMPARE(text(), before);
    QCOMPARE(underlinedWords(name), (QStringList{"програма", "фистиваль"}));
}

void SpellingFieldsTest::suggestionThatWouldNotFitIsDisabled_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("limit");
    QTest::newRow("title") << "title" << 250;
    QTest::newRow("description") << "description" << 500;
}

void SpellingFieldsTest::suggestionThatWouldNotFitIsDisabled()
{
    QFETCH(QString, name);
    QFETCH(int, limit);
    // "програма" at the field's limit: "программа" is one character longer; "програм"... are not.
    const QString start = QStringLiteral("програма ");
    const QString text = start + QString(QStringLiteral("да ")).repeated(limit).left(limit - start.size());
    setFieldText(name, text);
    QPointer<QMenu> menu = openMenuAt(name, 2, true);
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    QCOMPARE(actions.first()->text(), QStringLiteral("программа"));
    QVERIFY(!actions.first()->isEnabled());
    for (QAction* action : actions) {
        if (action->text().size() <= 8 && !action->isSeparator() && action->text() != QStringLiteral("Пропустить"))
            QVERIFY2(action->isEnabled(), qPrintable(action->text()));
        if (action->text() == QStringLiteral("Пропустить"))
            break;
    }
}

void SpellingFieldsTest::correctWordKeepsTheUsualMenu()
{
    setFieldText(QStringLiteral("title"), kMisspelt);
    QPointer<QMenu> menu = openMenuAt(QStringLiteral("title"), 1, true);
    QVERIFY(menu);
    QVERIFY(!actionTexts(menu->actions()).contains(QStringLiteral("Пропустить")));
}

void SpellingFieldsTest::addedWordIsKnownInANewEditor()
{
    setFieldText(QStringLiteral("title"), kMisspelt);
    setFieldText(QStringLiteral("manual"), QStringLiteral("И снова фистиваль"));
    QPointer<QMenu> menu = openMenuAt(QStringLiteral("title"), kMisspelt.indexOf(QStringLiteral("фистиваль")), true);
    QVERIFY(menu);
    const QList<QAction*> actions = menu->actions();
    const auto add = std::find_if(actions.begin(), actions.end(),
                                  [](QAction* a) { return a->text() == QStringLiteral("Добавить в словарь"); });
    QVERIFY(add != actions.end());
    (*add)->trigger();
    menu->close();
    QTRY_VERIFY(!menu);

    QCOMPARE(underlinedWords(QStringLiteral("title")), QStringList{"програма"});
    QCOMPARE(underlinedWords(QStringLiteral("manual")), QStringList{});
    const QString list = m_dataHome.filePath(QStringLiteral("lumarinda-passport/dictionary.txt"));
    QCOMPARE(readBytes(list), QStringLiteral("фистиваль\n").toUtf8());

    destroyEditor();
    startEditor();
    setFieldText(QStringLiteral("description"), kMisspelt);
    QCOMPARE(underlinedWords(QStringLiteral("description")), QStringList{"програма"});
    QVERIFY(m_services->messages.isEmpty());
}

void SpellingFieldsTest::skippedWordIsKnownForThisRunOnly()
{
    setFieldText(QStringLiteral("title"), kMisspelt);
    setFieldText(QStringLiteral("description"), kMisspelt);
    QPointer<QMenu> menu =
        openMenuAt(QStringLiteral("description"), kMisspelt.indexOf(QStringLiteral("програма")), false);
    QVERIFY(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Пропустить"))
            action->trigger();
    }
    menu->close();
    QTRY_VERIFY(!menu);
    QCOMPARE(underlinedWords(QStringLiteral("title")), QStringList{"фистиваль"});
    QCOMPARE(underlinedWords(QStringLiteral("description")), QStringList{"фистиваль"});
    QVERIFY(!QFile::exists(m_dataHome.filePath(QStringLiteral("lumarinda-passport/dictionary.txt"))));

    destroyEditor();
    startEditor();
    setFieldText(QStringLiteral("title"), kMisspelt);
    QCOMPARE(underlinedWords(QStringLiteral("title")), (QStringList{"програма", "фистиваль"}));
}

void SpellingFieldsTest::unwritableListIsQuiet()
{
    const QString folder = m_dataHome.filePath(QStringLiteral("lumarinda-passport"));
    QDir(folder).removeRecursively();
    {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    setFieldText(QStringLiteral("title"), kMisspelt);
    QPointer<QMenu> menu = openMenuAt(QStringLiteral("title"), kMisspelt.indexOf(QStringLiteral("програма")), true);
    QVERIFY(menu);
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Добавить в словарь"))
            action->trigger();
    }
    menu->close();
    QTRY_VERIFY(!menu);
    QFile::remove(folder);
    // Known for this run, and nobody is bothered.
    QCOMPARE(underlinedWords(QStringLiteral("title")), QStringList{"фистиваль"});
    QVERIFY(m_services->messages.isEmpty());
}

// The program ends with its window shown (asked to end, the session ending): the focus leaves the
// field on the way out, which re-underlines it, and nothing of the window may be gone by then.
void SpellingFieldsTest::editorEndsWithACheckedFieldInFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("memo") << QStringLiteral("description");
    QTest::newRow("line edit") << QStringLiteral("title");
}

void SpellingFieldsTest::editorEndsWithACheckedFieldInFocus()
{
    QFETCH(QString, name);
    setFieldText(name, kMisspelt);
    QWidget* widget = field(name);
    m_windows->Pasport->activateWindow();
    widget->setFocus();
    if (!QTest::qWaitFor([widget] { return widget->hasFocus(); }))
        QSKIP("this platform gives no focus to the field");
    // A word still being typed: leaving it is what checks it.
    typeText(widget, QStringLiteral(" фистивал"));
    VERIFY_SERVICES_SETTLED(*m_services);
    m_windows.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    startEditor();
}

void SpellingFieldsTest::withoutDictionariesNothingChanges()
{
    destroyEditor();
    QTemporaryDir empty;
    qputenv("LUMARINDA_HUNSPELL_DIR", QFile::encodeName(empty.path()));
    startEditor();
    qunsetenv("LUMARINDA_HUNSPELL_DIR");

    for (const char* name : {"title", "description", "tech_request", "manual", "WorkImgSign"}) {
        setFieldText(name, kMisspelt);
        QVERIFY(!field(name)->findChild<SpellUnderline*>());
    }
    const auto* memo = find<QPlainTextEdit>("description");
    QVERIFY(memo->document()->firstBlock().layout()->formats().isEmpty());
    QPointer<QMenu> menu = openMenuAt(QStringLiteral("title"), kMisspelt.indexOf(QStringLiteral("програма")), true);
    QVERIFY(menu);
    QVERIFY(!actionTexts(menu->actions()).contains(QStringLiteral("Добавить в словарь")));
    QVERIFY(m_services->messages.isEmpty());
}

QTEST_MAIN(SpellingFieldsTest)
#include "tst_spelling_fields.moc"
