#include "core/sections/SectionRules.h"
#include "support/SectionClickCases.h"

#include <QSet>
#include <QTest>
#include <deque>

using Sections::BoxStates;

class SectionRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void clickSequences_data();
    void clickSequences();
    void slotsFollowIdentifierOrder_data();
    void slotsFollowIdentifierOrder();
    void everyReachableChoiceIsRebuiltFromItsSlots();
    void choicesTheRulesForbidAreNotRebuilt_data();
    void choicesTheRulesForbidAreNotRebuilt();
    void linguisticsUntickedWithoutConfirming_data();
    void linguisticsUntickedWithoutConfirming();
};

namespace {

BoxStates afterClicks(const QList<int>& clicks)
{
    BoxStates states = Sections::initialBoxStates();
    for (int box : clicks)
        states = Sections::click(states, box);
    return states;
}

} // namespace

void SectionRulesTest::clickSequences_data()
{
    SectionClickCases::addRows();
}

void SectionRulesTest::clickSequences()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QString, checked);
    QFETCH(QString, disabled);
    const BoxStates states = afterClicks(clicks);
    const std::set<int> wantChecked = SectionClickCases::boxes(checked);
    const std::set<int> wantDisabled = SectionClickCases::boxes(disabled);
    for (int box = 0; box <= Sections::kOtherLanguageBox; ++box) {
        const bool exists = Sections::hasBox(box);
        QVERIFY2(states.checked[box] == (exists && wantChecked.count(box) > 0), qPrintable(QString::number(box)));
        QVERIFY2(states.enabled[box] == (exists && wantDisabled.count(box) == 0), qPrintable(QString::number(box)));
    }
}

void SectionRulesTest::slotsFollowIdentifierOrder_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("nothing") << QList<int>{} << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("physics then biology") << QList<int>{11, 2} << QList<int>{2, 11, 0, 0, 0};
    QTest::newRow("four sections") << QList<int>{11, 2, 22, 24} << QList<int>{2, 11, 22, 24, 0};
    QTest::newRow("extras clicked first") << QList<int>{21, 24, 22, 1} << QList<int>{1, 21, 22, 24, 0};
    QTest::newRow("linguistics without its languages") << QList<int>{26, 28, 25} << QList<int>{6, 0, 0, 0, 0};
    QTest::newRow("cleared again") << QList<int>{6, 22, 6} << QList<int>{0, 0, 0, 0, 0};
}

void SectionRulesTest::slotsFollowIdentifierOrder()
{
    QFETCH(QList<int>, clicks);
    QFETCH(QList<int>, expected);
    const auto packed = Sections::packSlots(afterClicks(clicks));
    QCOMPARE(QList<int>(packed.begin(), packed.end()), expected);
}

// Confirmed with linguistics, then linguistics unticked and the dialog closed by its close box: the
// slots keep 6 while the boxes hold no language, and that is what the dialog must show again.
void SectionRulesTest::linguisticsUntickedWithoutConfirming_data()
{
    QTest::addColumn<QList<int>>("confirmedClicks");
    QTest::addColumn<QList<int>>("slotList");
    QTest::newRow("linguistics alone") << QList<int>{6} << QList<int>{6};
    QTest::newRow("beside a main section") << QList<int>{1, 6} << QList<int>{1, 6};
    QTest::newRow("with German and the extra sections") << QList<int>{27, 22, 24} << QList<int>{6, 22, 24};
    QTest::newRow("two main sections and the competition") << QList<int>{6, 11, 24} << QList<int>{6, 11, 24};
}

void SectionRulesTest::linguisticsUntickedWithoutConfirming()
{
    QFETCH(QList<int>, confirmedClicks);
    QFETCH(QList<int>, slotList);
    const BoxStates confirmed = afterClicks(confirmedClicks);
    std::array<std::int32_t, 5> chosen{};
    std::copy(slotList.begin(), slotList.end(), chosen.begin());
    QCOMPARE(Sections::packSlots(confirmed), chosen);
    const BoxStates shown = Sections::click(confirmed, Sections::kLinguistics);
    QVERIFY(!shown.checked[Sections::kLinguistics]);

    const std::optional<BoxStates> rebuilt = Sections::boxStatesFor(chosen, Sections::LanguageChoices());
    QVERIFY(rebuilt);
    QVERIFY(*rebuilt == shown);
}

QTEST_APPLESS_MAIN(SectionRulesTest)
#include "tst_section_rules.moc"

namespace {

Sections::LanguageChoices languagesOf(const BoxStates& states)
{
    Sections::LanguageChoices languages;
    languages.russian = states.checked[25];
    languages.english = states.checked[26];
    languages.german = states.checked[27];
    languages.other = states.checked[28];
    return languages;
}

QByteArray keyOf(const BoxStates& states)
{
    QByteArray key;
    for (std::size_t box = 0; box < states.checked.size(); ++box)
        key += char(states.checked[box] + 2 * states.enabled[box]);
    return key;
}

} // namespace

// What a passport file keeps of the dialog is its slots and, under linguistics, the languages: from
// these alone every state that clicks can reach must come back, enabled states included.
void SectionRulesTest::everyReachableChoiceIsRebuiltFromItsSlots()
{
    QSet<QByteArray> seen;
    std::deque<BoxStates> queue{Sections::initialBoxStates()};
    seen.insert(keyOf(queue.front()));
    int checkedStates = 0;
    while (!queue.empty()) {
        const BoxStates states = queue.front();
        queue.pop_front();
        const auto packed = Sections::packSlots(states);
        // Languages ticked without linguistics cannot be: the rules tick linguistics with them.
        const std::optional<BoxStates> rebuilt = Sections::boxStatesFor(packed, languagesOf(states));
        QVERIFY2(rebuilt && *rebuilt == states, keyOf(states).toHex().constData());
        ++checkedStates;
        for (int box = 1; box <= Sections::kOtherLanguageBox; ++box) {
            const BoxStates next = Sections::click(states, box);
            if (!seen.contains(keyOf(next))) {
                seen.insert(keyOf(next));
                queue.push_back(next);
            }
        }
    }
    // Two main sections of 21 with the extras and the languages: thousands of states, not a few.
    QVERIFY2(checkedStates > 2000, QByteArray::number(checkedStates).constData());
}

void SectionRulesTest::choicesTheRulesForbidAreNotRebuilt_data()
{
    QTest::addColumn<QList<int>>("slotList");
    QTest::addColumn<int>("languageBox");
    QTest::newRow("three main sections") << QList<int>{1, 2, 3} << 0;
    QTest::newRow("teacher help alone") << QList<int>{22} << 0;
    QTest::newRow("study project alone") << QList<int>{24} << 0;
    QTest::newRow("a section twice") << QList<int>{2, 2} << 0;
    QTest::newRow("out of identifier order") << QList<int>{11, 2} << 0;
    QTest::newRow("a gap before a section") << QList<int>{0, 2} << 0;
    QTest::newRow("unassigned 23") << QList<int>{2, 23} << 0;
    QTest::newRow("a language as a section") << QList<int>{6, 25} << 25;
    QTest::newRow("linguistics without a language, beside two main sections") << QList<int>{1, 2, 6} << 0;
    QTest::newRow("linguistics without a language, out of order") << QList<int>{6, 1} << 0;
    QTest::newRow("negative") << QList<int>{-2} << 0;
    QTest::newRow("beyond the catalogue") << QList<int>{2, 28} << 0;
}

void SectionRulesTest::choicesTheRulesForbidAreNotRebuilt()
{
    QFETCH(QList<int>, slotList);
    QFETCH(int, languageBox);
    std::array<std::int32_t, 5> chosen{};
    std::copy(slotList.begin(), slotList.end(), chosen.begin());
    Sections::LanguageChoices languages;
    languages.russian = languageBox == 25;
    QVERIFY(!Sections::boxStatesFor(chosen, languages));
}
