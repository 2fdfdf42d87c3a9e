#include "core/sections/SectionRules.h"
#include "support/SectionClickCases.h"

#include <QTest>

using Sections::BoxStates;

class SectionRulesTest : public QObject
{
    Q_OBJECT

private slots:
    void clickSequences_data();
    void clickSequences();
    void slotsFollowIdentifierOrder_data();
    void slotsFollowIdentifierOrder();
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

QTEST_APPLESS_MAIN(SectionRulesTest)
#include "tst_section_rules.moc"
