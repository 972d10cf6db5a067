#include "FakeUiServices.h"
#include "ModalDialogDriver.h"
#include "THVDateEdit.h"
#include "THalvern.h"
#include "TfrmhvDateArea.h"

#include <QCalendarWidget>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// A component asking on a fixed day, with recorded message boxes.
struct PromptFixture {
    explicit PromptFixture(QDate today, QObject* owner = nullptr)
        : component(owner, {&messages, nullptr, &clock})
    {
        clock.date = today;
    }
    RecordingMessageBoxes messages;
    FixedClock clock;
    THalvern component;
};

template <typename T>
T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

void click(QWidget* window, const char* buttonName)
{
    if (auto* button = child<QPushButton>(window, buttonName))
        QTest::mouseClick(button, Qt::LeftButton);
}

// Replaces the editor's text by typing, as a user does: select all, then type.
void retype(THVDateEdit* editor, const QString& text)
{
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        QTest::keyClicks(editor, text);
}

} // namespace

class DateAreaPromptTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void form();
    void defaultsAreTheCurrentMonth_data();
    void defaultsAreTheCurrentMonth();
    void givenTextsAreShownUnchanged_data();
    void givenTextsAreShownUnchanged();
    void leavingReturnsTwoEmptyTexts_data();
    void leavingReturnsTwoEmptyTexts();
    void emptyEditorKeepsTheDialogOpen_data();
    void emptyEditorKeepsTheDialogOpen();
    void typedDateSavedWithEnter_data();
    void typedDateSavedWithEnter();
    void typedTextThatIsNoDateIsReported_data();
    void typedTextThatIsNoDateIsReported();
    void calendarPicksTheDate();
};

void DateAreaPromptTest::form()
{
    QWidget host;
    host.setGeometry(120, 80, 800, 600);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    PromptFixture fixture(QDate(2028, 2, 10), &host);

    ModalDialogDriver driver([&](QWidget* window) {
        auto* dialog = qobject_cast<TfrmhvDateArea*>(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), u"日期期间"_s);
        QCOMPARE(dialog->size(), QSize(250, 139));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QCOMPARE(dialog->parentWidget(), &host);
        // Centred over the host window, give or take the window frame.
        const QPoint offCentre = dialog->frameGeometry().center() - host.frameGeometry().center();
        QVERIFY2(qAbs(offCentre.x()) <= 4 && qAbs(offCentre.y()) <= 30, qPrintable(u"%1,%2"_s.arg(offCentre.x()).arg(offCentre.y())));

        QCOMPARE(dialog->font().pixelSize(), 13);
        QCOMPARE(dialog->font().families().value(0), u"宋体"_s);
        QVERIFY(QFontMetrics(dialog->font()).inFont(u'期'));

        auto* group = child<QGroupBox>(dialog, "GroupBox1");
        QVERIFY(group);
        QVERIFY(group->title().isEmpty());
        QCOMPARE(child<QLabel>(dialog, "Label1")->text(), u"开始日期："_s);
        QCOMPARE(child<QLabel>(dialog, "Label2")->text(), u"结束日期："_s);
        QCOMPARE(child<QLabel>(dialog, "Label1")->buddy(), child<THVDateEdit>(dialog, "D1"));
        QCOMPARE(child<QLabel>(dialog, "Label2")->buddy(), child<THVDateEdit>(dialog, "D2"));
        QVERIFY(child<QToolButton>(child<THVDateEdit>(dialog, "D1"), "dropDownButton"));
        auto* save = child<QPushButton>(dialog, "BitBtn1");
        auto* exit = child<QPushButton>(dialog, "BitBtn2");
        QCOMPARE(save->text(), u"保存(&A)"_s);
        QVERIFY(save->isDefault());
        QCOMPARE(exit->text(), u"退出(&C)"_s);
        QVERIFY(!exit->isDefault());
        QTest::mouseClick(exit, Qt::LeftButton);
    });
    QString start, end;
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
}

void DateAreaPromptTest::defaultsAreTheCurrentMonth_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");

    QTest::newRow("February of a leap year") << QDate(2028, 2, 10) << u"2028-02-01"_s << u"2028-02-29"_s;
    QTest::newRow("February") << QDate(2027, 2, 1) << u"2027-02-01"_s << u"2027-02-28"_s;
    QTest::newRow("December") << QDate(2026, 12, 15) << u"2026-12-01"_s << u"2026-12-31"_s;
    QTest::newRow("last day of a month") << QDate(2027, 4, 30) << u"2027-04-01"_s << u"2027-04-30"_s;
}

void DateAreaPromptTest::defaultsAreTheCurrentMonth()
{
    QFETCH(QDate, today);
    QFETCH(QString, start);
    QFETCH(QString, end);

    PromptFixture fixture(today);
    QString startText, endText;
    ModalDialogDriver driver([&](QWidget* dialog) {
        QCOMPARE(child<THVDateEdit>(dialog, "D1")->text(), start);
        QCOMPARE(child<THVDateEdit>(dialog, "D2")->text(), end);
        // While the dialog is open the caller's texts are empty.
        QCOMPARE(startText, QString());
        QCOMPARE(endText, QString());
        click(dialog, "BitBtn1");
    });
    fixture.component.hv_SYS_GetDateArea(startText, endText);
    QVERIFY(driver.hasRun());
    QCOMPARE(startText, start);
    QCOMPARE(endText, end);
    QVERIFY(fixture.messages.errors().isEmpty());
}

void DateAreaPromptTest::givenTextsAreShownUnchanged_data()
{
    QTest::addColumn<QString>("startIn");
    QTest::addColumn<QString>("endIn");
    QTest::addColumn<QString>("shownStart");
    QTest::addColumn<QString>("shownEnd");

    QTest::newRow("both") << u"2024-05-03"_s << u"2024-06-30"_s << u"2024-05-03"_s << u"2024-06-30"_s;
    QTest::newRow("start only") << u"2024-05-03"_s << QString() << u"2024-05-03"_s << u"2028-02-29"_s;
    QTest::newRow("end only") << QString() << u"2024-06-30"_s << u"2028-02-01"_s << u"2024-06-30"_s;
    QTest::newRow("start after end") << u"2029-01-01"_s << u"2024-06-30"_s << u"2029-01-01"_s << u"2024-06-30"_s;
    QTest::newRow("no leading zeros") << u"2024-5-3"_s << u"2024-6-30"_s << u"2024-5-3"_s << u"2024-6-30"_s;
}

void DateAreaPromptTest::givenTextsAreShownUnchanged()
{
    QFETCH(QString, startIn);
    QFETCH(QString, endIn);
    QFETCH(QString, shownStart);
    QFETCH(QString, shownEnd);

    PromptFixture fixture(QDate(2028, 2, 10));
    ModalDialogDriver driver([&](QWidget* dialog) {
        QCOMPARE(child<THVDateEdit>(dialog, "D1")->text(), shownStart);
        QCOMPARE(child<THVDateEdit>(dialog, "D2")->text(), shownEnd);
        click(dialog, "BitBtn1");
    });
    QString start = startIn, end = endIn;
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
    QCOMPARE(start, shownStart);
    QCOMPARE(end, shownEnd);
}

void DateAreaPromptTest::leavingReturnsTwoEmptyTexts_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("exit button") << u"exit"_s;
    QTest::newRow("Esc") << u"escape"_s;
    QTest::newRow("title-bar button") << u"close"_s;
}

void DateAreaPromptTest::leavingReturnsTwoEmptyTexts()
{
    QFETCH(QString, way);

    PromptFixture fixture(QDate(2028, 2, 10));
    ModalDialogDriver driver([&](QWidget* dialog) {
        auto* d1 = child<THVDateEdit>(dialog, "D1");
        auto* d2 = child<THVDateEdit>(dialog, "D2");
        retype(d1, u"2030-01-05"_s);
        retype(d2, u"2030-02-06"_s);
        QCOMPARE(d2->text(), u"2030-02-06"_s);
        if (way == u"exit")
            click(dialog, "BitBtn2");
        else if (way == u"escape")
            QTest::keyClick(d2, Qt::Key_Escape);
        else
            dialog->close();
        QVERIFY(!dialog->isVisible());
    });
    QString start = u"2024-05-03"_s, end = u"2024-06-30"_s;
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
    QCOMPARE(start, QString());
    QCOMPARE(end, QString());
}

void DateAreaPromptTest::emptyEditorKeepsTheDialogOpen_data()
{
    QTest::addColumn<QStringList>("cleared");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focused");

    QTest::newRow("start") << QStringList{u"D1"_s} << u"【开始日期】不能为空"_s << u"D1"_s;
    QTest::newRow("end") << QStringList{u"D2"_s} << u"【结束日期】不能为空"_s << u"D2"_s;
    QTest::newRow("both: start first") << QStringList{u"D1"_s, u"D2"_s} << u"【开始日期】不能为空"_s << u"D1"_s;
}

void DateAreaPromptTest::emptyEditorKeepsTheDialogOpen()
{
    QFETCH(QStringList, cleared);
    QFETCH(QString, message);
    QFETCH(QString, focused);

    PromptFixture fixture(QDate(2028, 2, 10));
    QString start, end;
    ModalDialogDriver driver([&](QWidget* dialog) {
        for (const QString& name : cleared)
            retype(child<THVDateEdit>(dialog, name.toLatin1().constData()), QString());
        click(dialog, "BitBtn1");

        QCOMPARE(fixture.messages.errors(), QStringList{message});
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), child<THVDateEdit>(dialog, focused.toLatin1().constData()));
        QCOMPARE(start, QString());
        QCOMPARE(end, QString());

        for (const QString& name : cleared)
            retype(child<THVDateEdit>(dialog, name.toLatin1().constData()), u"2028-03-15"_s);
        click(dialog, "BitBtn1");
        QVERIFY(!dialog->isVisible());
    });
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
    QCOMPARE(fixture.messages.errors().size(), 1);
    QCOMPARE(start, cleared.contains(u"D1"_s) ? u"2028-03-15"_s : u"2028-02-01"_s);
    QCOMPARE(end, cleared.contains(u"D2"_s) ? u"2028-03-15"_s : u"2028-02-29"_s);
}

void DateAreaPromptTest::typedDateSavedWithEnter_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("start");

    QTest::newRow("date with leading zeros") << u"2027-11-09"_s << u"2027-11-09"_s;
    QTest::newRow("date without leading zeros") << u"2027-1-9"_s << u"2027-01-09"_s;
}

void DateAreaPromptTest::typedDateSavedWithEnter()
{
    QFETCH(QString, typed);
    QFETCH(QString, start);

    PromptFixture fixture(QDate(2028, 2, 10));
    ModalDialogDriver driver([&](QWidget* dialog) {
        auto* d1 = child<THVDateEdit>(dialog, "D1");
        retype(d1, typed);
        QCOMPARE(d1->text(), typed);
        QTest::keyClick(d1, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    QString startText, endText;
    fixture.component.hv_SYS_GetDateArea(startText, endText);
    QVERIFY(driver.hasRun());
    QCOMPARE(startText, start);
    QCOMPARE(endText, u"2028-02-29"_s);
}

void DateAreaPromptTest::typedTextThatIsNoDateIsReported_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");

    QTest::newRow("a day the month lacks") << u"D1"_s << u"2027-02-30"_s << u"【开始日期】的值“2027-02-30”不是有效的日期"_s;
    QTest::newRow("unfinished") << u"D1"_s << u"2027-1"_s << u"【开始日期】的值“2027-1”不是有效的日期"_s;
    QTest::newRow("letters in the end date") << u"D2"_s << u"today"_s << u"【结束日期】的值“today”不是有效的日期"_s;
}

void DateAreaPromptTest::typedTextThatIsNoDateIsReported()
{
    QFETCH(QString, editor);
    QFETCH(QString, typed);
    QFETCH(QString, message);

    PromptFixture fixture(QDate(2028, 2, 10));
    QString start, end;
    ModalDialogDriver driver([&](QWidget* dialog) {
        auto* wrong = child<THVDateEdit>(dialog, editor.toLatin1().constData());
        retype(wrong, typed);
        // Leaving the editor keeps the text, so that saving can name it.
        QTest::keyClick(wrong, Qt::Key_Tab);
        QCOMPARE(wrong->text(), typed);
        click(dialog, "BitBtn1");

        QCOMPARE(fixture.messages.errors(), QStringList{message});
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->focusWidget(), wrong);
        QCOMPARE(wrong->selectedText(), typed);

        retype(wrong, u"2028-2-15"_s);
        QTest::keyClick(wrong, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    });
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
    QCOMPARE(fixture.messages.errors().size(), 1);
    QCOMPARE(start, editor == u"D1" ? u"2028-02-15"_s : u"2028-02-01"_s);
    QCOMPARE(end, editor == u"D2" ? u"2028-02-15"_s : u"2028-02-29"_s);
}

void DateAreaPromptTest::calendarPicksTheDate()
{
    PromptFixture fixture(QDate(2028, 2, 10));
    ModalDialogDriver driver([&](QWidget* dialog) {
        auto* d2 = child<THVDateEdit>(dialog, "D2");
        QTest::mouseClick(child<QToolButton>(d2, "dropDownButton"), Qt::LeftButton);
        auto* calendar = child<QCalendarWidget>(d2, "calendar");
        QVERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), QDate(2028, 2, 29));

        QWidget* days = calendar->focusProxy() ? calendar->focusProxy() : calendar;
        QTest::keyClick(days, Qt::Key_Right);
        QTest::keyClick(days, Qt::Key_Return);
        QVERIFY(!calendar->isVisible());
        QCOMPARE(d2->text(), u"2028-03-01"_s);
        click(dialog, "BitBtn1");
    });
    QString start, end;
    fixture.component.hv_SYS_GetDateArea(start, end);
    QVERIFY(driver.hasRun());
    QCOMPARE(start, u"2028-02-01"_s);
    QCOMPARE(end, u"2028-03-01"_s);
}

QTEST_MAIN(DateAreaPromptTest)
#include "DateAreaPromptTest.moc"
