#include "core/spelling/SpellChecker.h"
#include "core/spelling/SpellCheckerLoader.h"
#include "core/spelling/UserWordList.h"
#include "core/spelling/WordSplitter.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kDictionaries = QStringLiteral("/usr/share/hunspell");

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList wordsOf(const QString& text)
{
    QStringList words;
    for (const WordSpan& span : wordsToCheck(text))
        words << text.mid(span.start, span.length);
    return words;
}

} // namespace

class SpellingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void knownWords_data();
    void knownWords();
    void firstSuggestion_data();
    void firstSuggestion();
    void wordsToCheck_data();
    void wordsToCheck();
    void wordUnderTheCursor();
    void withoutDictionaries();
    void dictionaryInAnotherEncoding();
    void addedWordIsKeptForLaterRuns();
    void skippedWordIsKnownForThisRunOnly();
    void damagedListKeepsItsBytes_data();
    void damagedListKeepsItsBytes();
    void unwritableList_data();
    void unwritableList();
    void listPathFollowsXdgDataHome();
    void abandonedLoadNeverReports();
    // Last, so that the process ends while the thread still reads: clean under the sanitizers.
    void processEndsWhileTheDictionariesLoad();

private:
    std::unique_ptr<SpellChecker> m_checker;
    QTemporaryDir m_dir;
};

void SpellingTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_checker = std::make_unique<SpellChecker>(kDictionaries, m_dir.filePath(QStringLiteral("none/dictionary.txt")));
    QVERIFY2(m_checker->hasDictionaries(), "the Russian and English dictionaries are installed");
}

void SpellingTest::knownWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("known");

    QTest::newRow("Russian") << "молоко" << true;
    QTest::newRow("Russian, capitalised name") << "Москва" << true;
    QTest::newRow("Russian, name in lower case") << "москва" << false;
    QTest::newRow("with ё") << "ёлка" << true;
    QTest::newRow("ё written as е") << "елка" << true;
    QTest::newRow("ещё") << "ещё" << true;
    QTest::newRow("еще") << "еще" << true;
    QTest::newRow("stress mark") << "моло\u0301ко" << true;
    QTest::newRow("hyphenated Russian") << "кто-нибудь" << true;
    QTest::newRow("hyphenated compound") << "северо-запад" << true;
    QTest::newRow("abbreviation joined to a word") << "USB-накопитель" << true;
    QTest::newRow("Russian misspelt") << "програма" << false;
    QTest::newRow("hyphenated, one part misspelt") << "кто-нибуть" << false;
    QTest::newRow("English") << "language" << true;
    QTest::newRow("English apostrophe") << "don't" << true;
    QTest::newRow("English typographic apostrophe") << "don\u2019t" << true;
    QTest::newRow("hyphenated English") << "well-known" << true;
    QTest::newRow("English misspelt") << "recieve" << false;
    QTest::newRow("English word in Russian dictionary only") << "zzzqx" << false;
    QTest::newRow("Latin o inside a Russian word") << "мoлоко" << false;
    QTest::newRow("Greek: no dictionary") << "λόγος" << true;
}

void SpellingTest::knownWords()
{
    QFETCH(QString, word);
    QFETCH(bool, known);
    QCOMPARE(m_checker->isKnown(word), known);
    // A second answer comes from the cache and must agree.
    QCOMPARE(m_checker->isKnown(word), known);
}

void SpellingTest::firstSuggestion_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("first");

    QTest::newRow("Russian") << "програма"
                             << "программа";
    QTest::newRow("Russian vowel") << "фистиваль"
                                   << "фестиваль";
    QTest::newRow("English") << "recieve"
                             << "receive";
    QTest::newRow("English swap") << "langauge"
                                  << "language";
}

void SpellingTest::firstSuggestion()
{
    QFETCH(QString, word);
    QFETCH(QString, first);
    const QStringList suggestions = m_checker->suggestions(word);
    QVERIFY(!suggestions.isEmpty());
    QVERIFY(suggestions.size() <= SpellChecker::kMaxSuggestions);
    QCOMPARE(suggestions.first(), first);
}

void SpellingTest::wordsToCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("quotes and punctuation")
        << "Сборник стихотворений «Весна»!" << QStringList{"Сборник", "стихотворений", "Весна"};
    QTest::newRow("words with digits") << "версия 2.0 для mp3-плеера и 5-го класса"
                                       << QStringList{"версия", "для", "класса"};
    QTest::newRow("abbreviations") << "нужны ПО и USB, МФТИ" << QStringList{"нужны"};
    QTest::newRow("single letters") << "т.д. и т.п." << QStringList{};
    QTest::newRow("e-mail") << "пишите: orgcom@example.org." << QStringList{"пишите"};
    QTest::newRow("web addresses") << "см. https://example.org/путь, www.Пример.рф и (lumarinda.ru)"
                                   << QStringList{"см"};
    QTest::newRow("file names") << "откройте index.html" << QStringList{"откройте"};
    QTest::newRow("hyphenated words, dashes")
        << "кто-то — северо-запад -слово- don't" << QStringList{"кто-то", "северо-запад", "слово", "don't"};
    QTest::newRow("line breaks") << "первая\r\nвторая\u2029третья" << QStringList{"первая", "вторая", "третья"};
    QTest::newRow("stress mark stays in the word") << "заме\u0301тка" << QStringList{"заме\u0301тка"};
    QTest::newRow("empty") << "" << QStringList{};
}

void SpellingTest::wordsToCheck()
{
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QCOMPARE(wordsOf(text), words);
}

void SpellingTest::wordUnderTheCursor()
{
    const QString text = QStringLiteral("один два");
    QCOMPARE(wordAt(text, 0), (WordSpan{0, 4}));
    QCOMPARE(wordAt(text, 4), (WordSpan{0, 4}));
    QCOMPARE(wordAt(text, 5), (WordSpan{5, 3}));
    QCOMPARE(wordAt(QStringLiteral("a  b"), 2), std::nullopt);
}

void SpellingTest::withoutDictionaries()
{
    QTemporaryDir empty;
    SpellChecker checker(empty.path(), empty.filePath(QStringLiteral("dictionary.txt")));
    QVERIFY(!checker.hasDictionaries());
    QVERIFY(checker.isKnown(QStringLiteral("програма")));
    QVERIFY(checker.suggestions(QStringLiteral("програма")).isEmpty());

    // A dictionary that is not a file, or empty, is no dictionary either.
    QVERIFY(QDir(empty.path()).mkdir(QStringLiteral("ru_RU.aff")));
    writeBytes(empty.filePath(QStringLiteral("ru_RU.dic")), "1\nмолоко\n");
    writeBytes(empty.filePath(QStringLiteral("en_US.aff")), "");
    writeBytes(empty.filePath(QStringLiteral("en_US.dic")), "1\nmilk\n");
    QVERIFY(!SpellChecker(empty.path(), QString()).hasDictionaries());
}

void SpellingTest::dictionaryInAnotherEncoding()
{
    QTemporaryDir folder;
    writeBytes(folder.filePath(QStringLiteral("ru_RU.aff")), "SET KOI8-R\nTRY оеаилнтсрвкмдпуяызбгчйхжшюцщэфъё\n");
    // "молоко" and "кошка" in KOI8-R.
    writeBytes(folder.filePath(QStringLiteral("ru_RU.dic")), "2\n\xCD\xCF\xCC\xCF\xCB\xCF\n\xCB\xCF\xDB\xCB\xC1\n");
    SpellChecker checker(folder.path(), QString());
    QVERIFY(checker.hasDictionaries());
    QVERIFY(checker.isKnown(QStringLiteral("молоко")));
    QVERIFY(checker.isKnown(QStringLiteral("кошка")));
    QVERIFY(!checker.isKnown(QStringLiteral("малоко")));
    QCOMPARE(checker.suggestions(QStringLiteral("малоко")).value(0), QStringLiteral("молоко"));
    // A letter KOI8-R lacks cannot be in the dictionary.
    QVERIFY(!checker.isKnown(QStringLiteral("молоко\u0463")));
}

void SpellingTest::addedWordIsKeptForLaterRuns()
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("lumarinda-passport/dictionary.txt"));
    {
        SpellChecker checker(kDictionaries, path);
        QVERIFY(!checker.isKnown(QStringLiteral("Лумаринда")));
        QVERIFY(checker.addToUserList(QStringLiteral("Лумаринда")));
        QVERIFY(checker.isKnown(QStringLiteral("Лумаринда")));
        QVERIFY(checker.addToUserList(QStringLiteral("квадрокоптерный")));
    }
    QCOMPARE(readBytes(path), QStringLiteral("Лумаринда\nквадрокоптерный\n").toUtf8());
    const QFile::Permissions permissions = QFile::permissions(path);
    QVERIFY(permissions.testFlags(QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(permissions & (QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
             QFile::Permissions());

    SpellChecker later(kDictionaries, path);
    QVERIFY(later.isKnown(QStringLiteral("Лумаринда")));
    QVERIFY(later.isKnown(QStringLiteral("квадрокоптерный")));
    QVERIFY(later.isKnown(QStringLiteral("Квадрокоптерный")));
    QVERIFY(!later.isKnown(QStringLiteral("лумаринда")));
}

void SpellingTest::skippedWordIsKnownForThisRunOnly()
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("dictionary.txt"));
    {
        SpellChecker checker(kDictionaries, path);
        QVERIFY(!checker.isKnown(QStringLiteral("фистиваль")));
        checker.ignore(QStringLiteral("фистиваль"));
        QVERIFY(checker.isKnown(QStringLiteral("фистиваль")));
    }
    QVERIFY(!QFile::exists(path));
    QVERIFY(!SpellChecker(kDictionaries, path).isKnown(QStringLiteral("фистиваль")));
}

void SpellingTest::damagedListKeepsItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("words");

    QTest::newRow("broken UTF-8 line") << QByteArray("\xD0\n\xFF\xFE\nфистиваль\n") << QStringList{"фистиваль"};
    QTest::newRow("no final line break") << QByteArray("фистиваль") << QStringList{"фистиваль"};
    QTest::newRow("CR LF lines, blanks, control characters")
        << QByteArray("фистиваль\r\n\r\nдва слова\n\x01\x02\n\n") << QStringList{"фистиваль"};
    QTest::newRow("binary") << QByteArray("\0\0\x89PNG\r\n\x1a\n\0фистиваль", 20) << QStringList{};
    QTest::newRow("overlong line") << QByteArray(5000, 'a') + "\nфистиваль\n" << QStringList{"фистиваль"};
}

void SpellingTest::damagedListKeepsItsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, words);
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("dictionary.txt"));
    writeBytes(path, bytes);
    QCOMPARE(UserWordList::read(path), words);

    SpellChecker checker(kDictionaries, path);
    QCOMPARE(checker.isKnown(QStringLiteral("фистиваль")), !words.isEmpty());
    QVERIFY(checker.addToUserList(QStringLiteral("програма")));
    const QByteArray after = readBytes(path);
    QVERIFY(after.startsWith(bytes));
    QVERIFY(after.endsWith("\nпрограма\n"));
    QVERIFY(UserWordList::read(path).contains(QStringLiteral("програма")));
}

void SpellingTest::unwritableList_data()
{
    QTest::addColumn<QString>("blocker");
    // Root may write anywhere; a folder in the file's place, or a file in the folder's, stops
    // everyone.
    QTest::newRow("the list is a folder") << "lumarinda-passport/dictionary.txt/";
    QTest::newRow("the folder is a file") << "lumarinda-passport";
}

void SpellingTest::unwritableList()
{
    QFETCH(QString, blocker);
    QTemporaryDir home;
    if (blocker.endsWith(QLatin1Char('/')))
        QVERIFY(QDir().mkpath(home.filePath(blocker)));
    else
        writeBytes(home.filePath(blocker), "not a folder\n");
    const QString path = home.filePath(QStringLiteral("lumarinda-passport/dictionary.txt"));

    SpellChecker checker(kDictionaries, path);
    QVERIFY(!checker.isKnown(QStringLiteral("фистиваль")));
    QVERIFY(!checker.addToUserList(QStringLiteral("фистиваль")));
    // Known for this run all the same.
    QVERIFY(checker.isKnown(QStringLiteral("фистиваль")));
    if (!blocker.endsWith(QLatin1Char('/')))
        QCOMPARE(readBytes(home.filePath(blocker)), QByteArray("not a folder\n"));
}

void SpellingTest::listPathFollowsXdgDataHome()
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/data/home");
    QCOMPARE(UserWordList::defaultPath(), QStringLiteral("/data/home/lumarinda-passport/dictionary.txt"));
    qputenv("XDG_DATA_HOME", "relative/path");
    QCOMPARE(UserWordList::defaultPath(), QDir::homePath() + "/.local/share/lumarinda-passport/dictionary.txt");
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(UserWordList::defaultPath(), QDir::homePath() + "/.local/share/lumarinda-passport/dictionary.txt");
    if (!saved.isNull())
        qputenv("XDG_DATA_HOME", saved);
}

void SpellingTest::abandonedLoadNeverReports()
{
    QTemporaryDir folder;
    writeBytes(folder.filePath(QStringLiteral("en_US.aff")), "SET UTF-8\n");
    writeBytes(folder.filePath(QStringLiteral("en_US.dic")), "1\nmilk\n");
    const QString list = folder.filePath(QStringLiteral("dictionary.txt"));
    writeBytes(list, "Lumarinda\n");

    // Closing the editor at once: the first load is let go, finished or not, and must never call
    // back into the loader that is gone.
    bool abandonedReported = false;
    auto* abandoned = new SpellCheckerLoader;
    connect(abandoned, &SpellCheckerLoader::finished, this, [&abandonedReported] { abandonedReported = true; });
    abandoned->start(folder.path(), list);
    delete abandoned;

    SpellCheckerLoader loader;
    QSignalSpy finished(&loader, &SpellCheckerLoader::finished);
    loader.start(folder.path(), list);
    QVERIFY(finished.wait(30000));
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!abandonedReported);
    const std::shared_ptr<SpellChecker> checker = loader.checker();
    QVERIFY(checker && checker->hasDictionaries());
    QVERIFY(checker->isKnown(QStringLiteral("milk")));
    QVERIFY(checker->isKnown(QStringLiteral("Lumarinda")));
    QVERIFY(!checker->isKnown(QStringLiteral("mlik")));
}

void SpellingTest::processEndsWhileTheDictionariesLoad()
{
    // Under other names, so that the dictionaries read before are not reused and the load is long.
    QVERIFY(QFile::link(kDictionaries + QStringLiteral("/ru_RU.aff"), m_dir.filePath(QStringLiteral("ru_RU.aff"))));
    QVERIFY(QFile::link(kDictionaries + QStringLiteral("/ru_RU.dic"), m_dir.filePath(QStringLiteral("ru_RU.dic"))));
    auto loader = std::make_unique<SpellCheckerLoader>();
    QSignalSpy finished(loader.get(), &SpellCheckerLoader::finished);
    loader->start(m_dir.path(), m_dir.filePath(QStringLiteral("dictionary.txt")));
    loader.reset();
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), 0);
}

QTEST_GUILESS_MAIN(SpellingTest)
#include "tst_spelling.moc"
