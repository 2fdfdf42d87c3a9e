// Every passport the editor writes, it opens: random states reached through the controls and the
// section dialog's rules (sections confirmed, then boxes changed in a dialog closed by its close
// box; 0-10 authors and 0-3 supervisors with names up to their limits; texts with CR LF, tabs,
// emoji, characters outside Windows-1251 and characters the file cannot carry; a picture or none;
// any invoice recipient), written as a preview and as a saved passport (complete, or unfinished
// as a draft keeps it).

#include "support/ReachablePassports.h"
#include "support/Xmllint.h"

#include <QTest>
#include <random>

namespace {

const QString kSchema = QStringLiteral(LUMARINDA_SCHEMA);

// A fixed seed: the same states on every run, so a failure names a state that can be replayed.
struct Seeded
{
    std::mt19937 engine{20261211};
    int below(int bound) { return bound <= 1 ? 0 : static_cast<int>(engine() % static_cast<unsigned>(bound)); }
};

} // namespace

class PassportRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void everyReachablePassportReopens();
};

void PassportRoundTripTest::everyReachablePassportReopens()
{
    Seeded choose;
    int complete = 0;
    int withPicture = 0;
    int linguisticsWithoutLanguage = 0;
    for (int state = 0; state < 1500; ++state) {
        const PassportSnapshot passport = ReachablePassports::passport(choose);
        const qint64 stored = 1700000000 + state;
        for (PassportDocumentKind kind : {PassportDocumentKind::Preview, PassportDocumentKind::Saved}) {
            const QString broken = ReachablePassports::brokenPromise(passport, kind, stored);
            QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("state %1, %2: %3")
                                                      .arg(state)
                                                      .arg(kind == PassportDocumentKind::Saved ? "saved" : "preview")
                                                      .arg(broken)));
            // What the editor writes passes the published schema too; a sample keeps it quick.
            if (state % 50 == 0) {
                const QString errors =
                    schemaErrors(kSchema, serializePassportDocument(BuildPassportDocument(passport, kind, stored)));
                QVERIFY2(errors.isEmpty(), qPrintable(QStringLiteral("state %1: %2").arg(state).arg(errors)));
            }
        }
        complete += ReachablePassports::maySave(passport);
        withPicture += passport.hasPicture;
        const auto& chosen = passport.subjectSlots;
        const bool languages = passport.languages.russian || passport.languages.english || passport.languages.german ||
                               passport.languages.other;
        linguisticsWithoutLanguage += std::find(chosen.begin(), chosen.end(), 6) != chosen.end() && !languages;
    }
    // The draw reaches the states that matter, not only blank ones.
    QVERIFY2(complete > 100, qPrintable(QString::number(complete)));
    QVERIFY2(withPicture > 500, qPrintable(QString::number(withPicture)));
    QVERIFY2(linguisticsWithoutLanguage > 5, qPrintable(QString::number(linguisticsWithoutLanguage)));
}

QTEST_GUILESS_MAIN(PassportRoundTripTest)
#include "tst_passport_round_trip.moc"
