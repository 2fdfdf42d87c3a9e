#include "core/shell/AppInfo.h"
#include "core/shell/Failure.h"
#include "support/EditorTest.h"
#include "support/FakeServices.h"
#include "support/Typing.h"
#include "windows/Add.h"
#include "windows/ErrorBox.h"
#include "windows/Form.h"
#include "windows/ImageCanvas.h"
#include "windows/MemoEdit.h"
#include "windows/PicturePreview.h"
#include "windows/QtDesktopServices.h"
#include "windows/Startup.h"
#include "windows/Subj.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// The advice the panels show, written out as users read it. The field texts break lines with CR LF.
const QString kTitleHelp = QStringLiteral(
    "Название работы\r\n\r\n"
    "Старайтесь дать работе информативное и конкретное название, в точности отражающее ее суть. "
    "Избегайте общих и «наукообразных» названий (например, «к вопросу о…»). При необходимости указывайте "
    "в названии существенную информацию о работе (например, название «Сборник стихотворений «Весна» "
    "информативнее, чем просто «Весна»).\r\n\r\n"
    "Длина ограничена 250 символами.");
const QString kDescriptionHelp =
    QStringLiteral("Описание работы\r\n\r\n"
                   "Кратко опишите суть работы (описание работы должно занимать не более 500 знаков). Не дублируйте в "
                   "описании информацию из других полей (не указывайте здесь авторов и руководителей, технические "
                   "требования, порядок знакомства с работой и т.д.).");
const QString kTechRequestHelp =
    QStringLiteral("Технические требования\r\n\r\n"
                   "Это поле можно оставить пустым. Заполняйте его лишь в том случае, если для знакомства с вашей "
                   "работой требуется специальное программное обеспечение (либо определенные версии стандартного ПО).");
const QString kManualHelp =
    QStringLiteral("Порядок знакомства\r\n\r\n"
                   "В некоторых случаях это поле можно оставить пустым. Например, если ваша работа состоит из "
                   "одного-единственного файла Microsoft Word, не стоит писать «Открыть файл такой-то». Это всем и так "
                   "очевидно. Зато если файлов несколько, обязательно укажите, с какого файла следует начинать "
                   "знакомство с работой.");
const QString kContactsHelp = QStringLiteral(
    "Контактная информация\r\n\r\n"
    "Пожалуйста, обратите внимание на то, что контактная информация будет опубликована в открытом "
    "доступе для того, чтобы те, кто заинтересовался вашей работой, могли с вами связаться. Мы не "
    "рекомендуем указывать здесь ваши домашние адреса и телефоны. Телефонные номера указывайте в формате "
    "(код) номер.");

const QStringList kInitialWorkPanelLines = {
    "Название работы",
    "",
    "Старайтесь дать работе информативное и ",
    "конкретное название, в точности отражающее ее ",
    "суть. Избегайте общих и «наукообразных» ",
    "названий (например, «к вопросу о…»). При ",
    "необходимости указывайте в названии ",
    "существенную информацию о работе (например, ",
    "название «Сборник стихотворений «Весна» ",
    "информативнее, чем просто «Весна»).",
    "",
    "Длина ограничена 250 символами.",
};
const QStringList kPicturePanelLines = {
    "Вы можете выбрать иллюстрацию, которая будет размещена на странице ",
    "описания работы на сайте «Lumarinda». ",
    "",
    "Пожалуйста, старайтесь сделать иллюстрацию не только красивой, но и ",
    "содержательной. Например, если работа представляет собой ",
    "компьютерную программу, в качестве иллюстрации можно выбрать ",
    "скриншот. Можно проиллюстрировать работу и фотографией автора (это ",
    "разумно, например, для работ раздела «Литературное творчество»). ",
    "",
    "Формат файла иллюстрации -- JPEG (*.jpg).",
    "Максимальный размер иллюстрации -- 300x300 точек.",
    "",
    "В качестве исходного вы можете использовать изображение любого ",
    "размера, оно будет автоматически отмасштабировано. Пожалуйста, ",
    "учтите, что наша программа выполняет масштабирование много хуже ",
    "специализированных графических редакторов, поэтому, если у вас есть ",
    "возможность подготовить изображение в точности требуемого размера, ",
    "лучше это сделать.",
    "",
    "Очень желательно сделать к иллюстрации информативную подпись.",
};
const QStringList kAuthorsPanelLines = {
    "Согласно положению, каждая работа может иметь до 10 авторов (учеников) и до 3 "
    "руководителей (учителей). Все участники фестиваля ",
    "(и авторы, и руководители) должны были подать заявку на участие в фестивале  и получить "
    "комплект документов, в котором, в частности, ",
    "указан индивидуальный идентификатор участника. На этой вкладке требуется ввести именно "
    "эти идентификаторы.",
    "",
    "Добавление идентификатора производится нажатием кнопки «Добавить» и ввести Ваш "
    "идентификатор. Далее необходимо ввести ",
    "свои данные в соответствующие поля ввода. После ввода руководителей работы необходимо "
    "выбрать из выпадающего списка кому будет ",
    "отправлен счет за публикацию работы.",
    "",
    "Внимание: пожалуйста, будьте аккуратны. Не ошибайтесь при вводе идентификаторов и "
    "персональных данных. При обработке электронных ",
    "паспортов в оргкомитете будет проверяться соответствие идентификаторов и фамилий, имен и "
    "отчеств. При обнаружении несовпадений, мы ",
    "будем связываться с авторами, что значительно увеличит время обработки материалов.",
};
const QStringList kCommentsPanelLines = {
    "Здесь вы можете оставить записку сотруднику ",
    "оргкомитета, который будет обрабатывать ",
    "электронный паспорт вашей работы.",
    "",
    "Эта информация предназначена исключительно ",
    "для внутреннего пользования и, разумеется, нигде ",
    "не публикуется.",
};

} // namespace

class MainWindowTest : public EditorTest
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowIsFixedAndTitled();
    void threeWindowsAreCreatedHidden();
    void controlsStandWhereTheLayoutPutsThem_data();
    void controlsStandWhereTheLayoutPutsThem();
    void initialState();
    void pictureAreaShowsItsSize();
    void fieldLimits_data();
    void fieldLimits();
    void memoHoldsCrLfAndCountsBreaksAsTwo();
    void memoLimitCutsPastedText();
    void tabOrderFollowsTheLayout();
    void helpPanelFollowsFocusAndClicks();
    void helpPanelIgnoresOtherPages();
    void helpTextsAreReadOnly();
    void fixedHelpPanelsShowTheirTexts_data();
    void fixedHelpPanelsShowTheirTexts();
    void closingAsksNothing();
    void standardButtonsSpeakRussian();
    void errorBoxAppendsFullStop_data();
    void errorBoxAppendsFullStop();
    void silentAndForeignFailures();
    void failuresOfAnyType_data();
    void failuresOfAnyType();
    void picturePreviewSurvivesFailuresOfAnyType_data();
    void picturePreviewSurvivesFailuresOfAnyType();

private:
    void enter(QWidget* field) const;
};

void MainWindowTest::init()
{
    createEditor();
}

void MainWindowTest::cleanup()
{
    destroyEditor();
}

void MainWindowTest::enter(QWidget* field) const
{
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(field, &focusIn);
}

void MainWindowTest::windowIsFixedAndTitled()
{
    TPasport& window = *m_windows->Pasport;
    QCOMPARE(window.windowTitle(),
             QStringLiteral("Фестиваль «Lumarinda» - Электронный паспорт работы (2015 / 2016) v.2.2.4"));
    QCOMPARE(window.objectName(), QStringLiteral("Pasport"));
    QCOMPARE(window.minimumSize(), QSize(787, 502));
    QCOMPARE(window.maximumSize(), QSize(787, 502));
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

void MainWindowTest::threeWindowsAreCreatedHidden()
{
    QCOMPARE(m_windows->Subjects->objectName(), QStringLiteral("Subjects"));
    QCOMPARE(m_windows->Form1->objectName(), QStringLiteral("Form1"));
    QVERIFY(!m_windows->Subjects->isVisible());
    QVERIFY(!m_windows->Form1->isVisible());
    QCOMPARE(m_windows->Subjects->windowTitle(), QStringLiteral("Разделы фестиваля, к которым относится работа"));
    QCOMPARE(m_windows->Form1->windowTitle(), QStringLiteral("Добавить"));
}

void MainWindowTest::controlsStandWhereTheLayoutPutsThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    const struct
    {
        const char* name;
        QRect geometry;
    } rows[] = {
        {"SectionsTabs", {0, 0, 785, 465}},
        {"Preview", {563, 471, 106, 25}},
        {"SaveButton", {680, 471, 99, 25}},
        {"Work_infoGroup", {3, 3, 470, 343}},
        {"title", {14, 38, 443, 21}},
        {"description", {14, 84, 443, 93}},
        {"tech_request", {14, 203, 443, 21}},
        {"manual", {14, 254, 443, 75}},
        {"ContactsGroup", {3, 352, 771, 82}},
        {"public_post_index", {73, 21, 121, 21}},
        {"public_post_address", {251, 21, 510, 21}},
        {"public_phone", {73, 48, 244, 21}},
        {"public_email", {390, 48, 371, 21}},
        {"Subject", {485, 194, 289, 152}},
        {"Help", {485, 3, 289, 185}},
        {"HelpMemo", {7, 18, 270, 158}},
        {"GroupBox3", {3, 3, 350, 431}},
        {"Bevel1", {15, 23, 316, 316}},
        {"WorkImg", {23, 30, 300, 300}},
        {"AddImg", {175, 387, 75, 25}},
        {"DelImg", {256, 387, 75, 25}},
        {"GroupBox4", {359, 3, 415, 431}},
        {"Memo5", {7, 18, 393, 386}},
        {"AuthorsGroup", {3, 3, 382, 215}},
        {"AuthorsListBox", {16, 43, 73, 113}},
        {"AuthorAdd", {16, 162, 73, 20}},
        {"AuthorDelete", {16, 186, 73, 20}},
        {"AuthorsLastname", {104, 43, 253, 21}},
        {"AuthorsName", {104, 89, 253, 21}},
        {"AuthorsPatronymic", {104, 135, 253, 21}},
        {"TeachersGroup", {391, 3, 383, 215}},
        {"TeachersListBox", {16, 43, 73, 113}},
        {"TeacherAdd", {16, 162, 73, 20}},
        {"TeacherDelete", {15, 186, 74, 20}},
        {"TeachersLastname", {104, 43, 257, 21}},
        {"TeachersName", {104, 89, 257, 21}},
        {"TeachersPatronymic", {104, 135, 257, 21}},
        {"GroupBox1", {3, 224, 771, 210}},
        {"Memo1", {7, 18, 755, 183}},
        {"Notes", {3, 22, 470, 403}},
        {"GroupBox2", {479, 16, 295, 410}},
        {"Memo2", {7, 18, 274, 119}},
    };
    for (const auto& row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.geometry;
}

void MainWindowTest::controlsStandWhereTheLayoutPutsThem()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    const QWidget* control = m_windows->Pasport->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
}

void MainWindowTest::initialState()
{
    auto* tabs = find<QTabWidget>("SectionsTabs");
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("WorksTSh"));
    const QStringList pageTitles = {QStringLiteral("Информация о работе"), QStringLiteral("Картинка"),
                                    QStringLiteral("Авторы и руководители"), QStringLiteral("Комментарии")};
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->tabText(i), pageTitles.at(i));

    QVERIFY(find<QPushButton>("AuthorAdd")->isEnabled());
    QVERIFY(find<QPushButton>("TeacherAdd")->isEnabled());
    QVERIFY(!find<QPushButton>("AuthorDelete")->isEnabled());
    QVERIFY(!find<QPushButton>("TeacherDelete")->isEnabled());
    QVERIFY(!find<QPushButton>("DelImg")->isEnabled());
    QVERIFY(find<QPushButton>("AddImg")->isEnabled());
    QVERIFY(!find<QLineEdit>("WorkImgSign")->isEnabled());
    QVERIFY(!find<QComboBox>("LeaderID")->isEnabled());
    QVERIFY(!find<QLabel>("LeaderID_Label")->isEnabled());
    for (const char* name : {"AuthorsLastname", "AuthorsName", "AuthorsPatronymic", "TeachersLastname", "TeachersName",
                             "TeachersPatronymic"})
        QVERIFY2(find<QLineEdit>(name)->isReadOnly(), name);

    QCOMPARE(find<QGroupBox>("AuthorsGroup")->title(), QStringLiteral("Авторы (0)"));
    QCOMPARE(find<QGroupBox>("TeachersGroup")->title(), QStringLiteral("Руководители (0)"));
    QCOMPARE(find<QLabel>("subj1")->text(), QStringLiteral("[ Раздел не задан ]"));
    for (const char* name : {"subj2", "subj3", "subj4", "subj5"})
        QVERIFY(find<QLabel>(name)->text().isEmpty());
    QCOMPARE(find<QLineEdit>("ImgBase64")->text(), QStringLiteral("Base64"));
    QVERIFY(find<QLineEdit>("ImgBase64")->isHidden());

    for (const char* name : {"title", "tech_request", "public_post_index", "public_post_address", "public_phone",
                             "public_email", "WorkImgSign"})
        QVERIFY2(find<QLineEdit>(name)->text().isEmpty(), name);
    for (const char* name : {"description", "manual", "Notes"})
        QVERIFY2(find<MemoEdit>(name)->text().isEmpty(), name);

    const PassportRecord& record = m_windows->Pasport->record();
    QCOMPARE(record.SeasonId, 13);
    for (std::int32_t slot : record.SubjectSlots)
        QCOMPARE(slot, 0);
}

void MainWindowTest::pictureAreaShowsItsSize()
{
    const QImage bitmap = find<ImageCanvas>("WorkImg")->bitmap();
    QCOMPARE(bitmap.size(), QSize(300, 300));
    // Ink only to the right of and below (130, 148), and some of it there.
    bool inkNearHint = false;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width(); ++x) {
            if (bitmap.pixelColor(x, y) == Qt::white)
                continue;
            QVERIFY2(x >= 130 && y >= 148 && y < 148 + 20, qPrintable(QStringLiteral("ink at %1,%2").arg(x).arg(y)));
            inkNearHint = true;
        }
    }
    QVERIFY(inkNearHint);
}

void MainWindowTest::fieldLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("limit");
    QTest::newRow("title") << "title" << 250;
    QTest::newRow("tech_request") << "tech_request" << 250;
    QTest::newRow("public_post_index") << "public_post_index" << 10;
    QTest::newRow("public_post_address") << "public_post_address" << 250;
    QTest::newRow("public_phone") << "public_phone" << 150;
    QTest::newRow("public_email") << "public_email" << 150;
    QTest::newRow("AuthorsLastname") << "AuthorsLastname" << 50;
    QTest::newRow("TeachersPatronymic") << "TeachersPatronymic" << 50;
    QTest::newRow("description") << "description" << 500;
    QTest::newRow("manual") << "manual" << 500;
    QTest::newRow("Notes") << "Notes" << 2000;
}

void MainWindowTest::fieldLimits()
{
    QFETCH(QString, name);
    QFETCH(int, limit);
    QWidget* field = m_windows->Pasport->findChild<QWidget*>(name);
    QVERIFY(field);
    if (auto* edit = qobject_cast<QLineEdit*>(field)) {
        QCOMPARE(edit->maxLength(), limit);
        return;
    }
    auto* memo = qobject_cast<MemoEdit*>(field);
    QVERIFY(memo);
    typeText(memo, QString(limit - 1, u'я'));
    typeText(memo, QStringLiteral("юж"));
    QCOMPARE(memo->text(), QString(limit - 1, u'я') + u'ю');
}

void MainWindowTest::memoHoldsCrLfAndCountsBreaksAsTwo()
{
    auto* memo = find<MemoEdit>("description");
    typeText(memo, QStringLiteral("Строка\nвторая\u00a0строка"));
    QCOMPARE(memo->text(), QStringLiteral("Строка\r\nвторая\u00a0строка"));
    QCOMPARE(memo->heldLength(), 21);

    // With one place left, a line break (two characters) does not fit but a letter does.
    memo->setText(QString(499, u'x'));
    memo->moveCursor(QTextCursor::End);
    typeText(memo, QStringLiteral("\n"));
    QCOMPARE(memo->heldLength(), 499);
    typeText(memo, QStringLiteral("y"));
    QCOMPARE(memo->heldLength(), 500);
    QVERIFY(memo->text().endsWith(u'y'));
}

void MainWindowTest::memoLimitCutsPastedText()
{
    auto* memo = find<MemoEdit>("manual");
    memo->setText(QString(495, u'a'));
    memo->moveCursor(QTextCursor::End);
    QMimeData pasted;
    pasted.setText(QStringLiteral("b\r\nc\r\nd"));
    memo->insertPlainText(pasted.text());
    // "b", CR LF, "c" take four of the five places left; the next line break needs two.
    QCOMPARE(memo->text(), QString(495, u'a') + QStringLiteral("b\r\nc"));
    QCOMPARE(memo->heldLength(), 499);

    // A character outside the basic plane is never cut in half.
    memo->setText(QString(499, u'a'));
    memo->moveCursor(QTextCursor::End);
    memo->insertPlainText(QStringLiteral("😀"));
    QCOMPARE(memo->text(), QString(499, u'a'));
}

void MainWindowTest::tabOrderFollowsTheLayout()
{
    const QStringList expected = {
        QStringLiteral("title"),        QStringLiteral("description"),       QStringLiteral("tech_request"),
        QStringLiteral("manual"),       QStringLiteral("public_post_index"), QStringLiteral("public_post_address"),
        QStringLiteral("public_phone"), QStringLiteral("public_email"),
    };
    QWidget* current = find<QWidget>("title");
    for (int i = 1; i < expected.size(); ++i) {
        do {
            current = current->nextInFocusChain();
        } while (current->focusPolicy() == Qt::NoFocus || !current->isEnabled());
        QCOMPARE(current->objectName(), expected.at(i));
    }
}

void MainWindowTest::helpPanelFollowsFocusAndClicks()
{
    auto* panel = find<QPlainTextEdit>("HelpMemo");
    QCOMPARE(panel->toPlainText().split(u'\n'), kInitialWorkPanelLines);
    QCOMPARE(panel->toPlainText().split(u'\n').size(), 12);

    const struct
    {
        const char* field;
        QString text;
    } steps[] = {
        {"description", kDescriptionHelp},
        {"tech_request", kTechRequestHelp},
        {"manual", kManualHelp},
        {"title", kTitleHelp},
        {"public_post_address", kContactsHelp},
        {"public_email", kContactsHelp},
    };
    for (const auto& step : steps) {
        enter(find<QWidget>(step.field));
        QCOMPARE(panel->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
                 QString(step.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }

    // Clicks reach a memo on its viewport, an edit on itself.
    QTest::mouseClick(find<MemoEdit>("manual")->viewport(), Qt::LeftButton);
    QVERIFY(panel->toPlainText().startsWith(QStringLiteral("Порядок знакомства")));
    QTest::mouseClick(find<QLineEdit>("public_phone"), Qt::LeftButton);
    QVERIFY(panel->toPlainText().startsWith(QStringLiteral("Контактная информация")));
}

void MainWindowTest::helpPanelIgnoresOtherPages()
{
    auto* panel = find<QPlainTextEdit>("HelpMemo");
    enter(find<QWidget>("manual"));
    const QString shown = panel->toPlainText();
    enter(find<QWidget>("Notes"));
    enter(find<QWidget>("AuthorsLastname"));
    enter(find<QWidget>("WorkImgSign"));
    find<QTabWidget>("SectionsTabs")->setCurrentIndex(3);
    QCOMPARE(panel->toPlainText(), shown);
}

void MainWindowTest::helpTextsAreReadOnly()
{
    for (const char* name : {"HelpMemo", "Memo5", "Memo1", "Memo2"}) {
        auto* panel = find<QPlainTextEdit>(name);
        QVERIFY2(panel->isReadOnly(), name);
        const QString before = panel->toPlainText();
        typeText(panel, QStringLiteral("x"));
        QCOMPARE(panel->toPlainText(), before);
    }
    QVERIFY(find<QPlainTextEdit>("Memo5")->toPlainText().contains(QStringLiteral("Формат файла иллюстрации -- JPEG")));
    QCOMPARE(find<QPlainTextEdit>("Memo1")->toPlainText().split(u'\n').size(), 11);
    QCOMPARE(find<QPlainTextEdit>("Memo2")->toPlainText().split(u'\n').size(), 7);
}

void MainWindowTest::fixedHelpPanelsShowTheirTexts_data()
{
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("picture page") << "Memo5" << kPicturePanelLines;
    QTest::newRow("authors and supervisors page") << "Memo1" << kAuthorsPanelLines;
    QTest::newRow("comments page") << "Memo2" << kCommentsPanelLines;
}

void MainWindowTest::fixedHelpPanelsShowTheirTexts()
{
    QFETCH(QString, panel);
    QFETCH(QStringList, lines);
    QCOMPARE(find<QPlainTextEdit>(panel.toLatin1().constData())->toPlainText().split(u'\n'), lines);
}

void MainWindowTest::closingAsksNothing()
{
    typeText(find<QLineEdit>("title"), QStringLiteral("Несохранённая работа"));
    m_windows->Pasport->show();
    QVERIFY(m_windows->Pasport->close());
    QVERIFY(m_services->messages.isEmpty());
}

void MainWindowTest::standardButtonsSpeakRussian()
{
    installRussianTranslations(*qApp);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Удаление автора"), QString(),
                    QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
    QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Нет"));
}

void MainWindowTest::errorBoxAppendsFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Ошибка записи файла"
                            << "Ошибка записи файла.";
    QTest::newRow("full stop") << "Готово."
                               << "Готово.";
    QTest::newRow("exclamation") << "Стоп!"
                                 << "Стоп!";
    QTest::newRow("closing bracket") << "JPEG error #(53)"
                                     << "JPEG error #(53)";
    QTest::newRow("digit") << "JPEG error #53"
                           << "JPEG error #53.";
    QTest::newRow("slash") << "путь/"
                           << "путь/.";
    QTest::newRow("hyphen") << "a-"
                            << "a-";
    QTest::newRow("empty") << ""
                           << "";
}

void MainWindowTest::errorBoxAppendsFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    runGuarded(*m_services, [&] { throw Failure(message); });
    QCOMPARE(m_services->messages.size(), 1);
    const FakeServices::Message& box = m_services->messages.constFirst();
    QCOMPARE(box.text, shown);
    QCOMPARE(box.caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(box.icon, DesktopServices::Icon::Error);
    QCOMPARE(box.buttons, DesktopServices::Buttons::Ok);
}

void MainWindowTest::silentAndForeignFailures()
{
    runGuarded(*m_services, [] { throw Failure::silent(); });
    QVERIFY(m_services->messages.isEmpty());
    runGuarded(*m_services, [] { throw std::runtime_error("not ours"); });
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, QString());
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
}

namespace {

struct NotAnException
{
    int code = 0;
};

using Thrower = std::function<void()>;

void throwerTypes()
{
    QTest::addColumn<Thrower>("thrower");
    QTest::newRow("std::runtime_error") << Thrower([] { throw std::runtime_error("not ours"); });
    QTest::newRow("std::bad_alloc") << Thrower([] { throw std::bad_alloc(); });
    QTest::newRow("int") << Thrower([] { throw 42; });
    QTest::newRow("QString") << Thrower([] { throw QStringLiteral("text"); });
    QTest::newRow("plain struct") << Thrower([] { throw NotAnException{7}; });
}

} // namespace

void MainWindowTest::failuresOfAnyType_data()
{
    throwerTypes();
}

// Whatever escapes a handler shows the standard error box with an empty text, and the window
// takes its next click as before.
void MainWindowTest::failuresOfAnyType()
{
    QFETCH(Thrower, thrower);
    runGuarded(*m_services, thrower);
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, QString());
    QCOMPARE(m_services->messages.constFirst().caption, QStringLiteral("Электронный паспорт работы"));
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);

    find<QPushButton>("SaveButton")->click();
    QCOMPARE(m_services->messages.size(), 2);
    QCOMPARE(m_services->messages.constLast().caption, QStringLiteral("Неполная информация"));
}

void MainWindowTest::picturePreviewSurvivesFailuresOfAnyType_data()
{
    throwerTypes();
}

// The open dialog's preview runs inside the dialog's own loop: nothing may leave it.
void MainWindowTest::picturePreviewSurvivesFailuresOfAnyType()
{
    QFETCH(Thrower, thrower);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString good = folder.filePath("good.jpg");
    const QString bad = folder.filePath("bad.jpg");
    for (const QString& path : {good, bad}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("bytes");
    }
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    attachPicturePreview(dialog, *m_services, [&](const QString& path) {
        if (path == bad)
            thrower();
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        return picture;
    });
    auto* preview = dialog.findChild<QLabel*>(QStringLiteral("picturePreview"));
    QVERIFY(preview);

    emit dialog.currentChanged(good);
    QCOMPARE(preview->pixmap().size(), QSize(20, 10));
    emit dialog.currentChanged(bad);
    QVERIFY(preview->pixmap().isNull());
    QCOMPARE(m_services->messages.size(), 1);
    QCOMPARE(m_services->messages.constFirst().text, QString());
    QCOMPARE(m_services->messages.constFirst().icon, DesktopServices::Icon::Error);
    emit dialog.currentChanged(good);
    QCOMPARE(preview->pixmap().size(), QSize(20, 10));
    QCOMPARE(m_services->messages.size(), 1);
}

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
