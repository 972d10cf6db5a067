// The user data dialog and the user picker against the recording fake:
// choosing a user, reading, writing and deleting it, the template rows, the
// template files, and the dialog's life when the main window opens it.
#include "BenchWindowFixture.h"
#include "FakeTermSdk.h"
#include "FakeUiServices.h"
#include "ModalDialogDriver.h"
#include "TfrmSelOne.h"
#include "TfrmUser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int kMachine = 3;

// A shown user dialog over a recording fake.
struct UserDialogFixture {
    FakeUiServices fakes;
    FakeTermSdk sdk;
    QPointer<TfrmUser> dialog;

    UserDialogFixture()
    {
        dialog = new TfrmUser(&sdk, kMachine, fakes.services());
        dialog->show();
    }
    ~UserDialogFixture() { delete dialog.data(); }

    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    QString row(int finger) const { return dialog->vleTemps->item(finger, 1)->text(); }
    QStringList callsNamed(const QString& name) const
    {
        return sdk.callTrace().filter(QRegularExpression(QLatin1Char('^') + name + QLatin1String("\\(")));
    }
    void pushUsers(const QList<QPair<int, QString>>& users)
    {
        for (const auto& [enroll, name] : users)
            sdk.pushRecord(QStringLiteral("NextUserRecord"), {enroll, name, QString(), 0, true});
    }
};

QByteArray bytesOfSize(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}
} // namespace

class UserDialogTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensEmpty();
    void pickerListsUsersAndTheChosenOneIsRead();
    void cancelledPickerReadsNothing();
    void withoutUsersThereIsNoPicker_data();
    void withoutUsersThereIsNoPicker();
    void typedNumberIsCutToFiveCharacters_data();
    void typedNumberIsCutToFiveCharacters();
    void privilegeIsTheRemainderOfFour_data();
    void privilegeIsTheRemainderOfFour();
    void onlyTemplatesReadOverwriteTheirRows();
    void saveWritesTheFields_data();
    void saveWritesTheFields();
    void deletesUserAndCurrentTemplate();
    void appendSendsTemplateFilesOfTheRightSize_data();
    void appendSendsTemplateFilesOfTheRightSize();
    void appendReportsAFailedWrite();
    void saveBinaryWritesTheBytesAndTheOldFormat();
    void saveBinaryStopsAtANonHexCharacter();
    void setNameOpensTheDialogForTheWindowsTerminal();
};

void UserDialogTest::opensEmpty()
{
    UserDialogFixture f;
    TfrmUser& d = *f.dialog;
    QCOMPARE(d.windowTitle(), QStringLiteral("User Data Managment"));
    QCOMPARE(d.size(), QSize(517, 429));
    QVERIFY(d.edtPIN->text().isEmpty() && d.edtName->text().isEmpty() && d.edtPwd->text().isEmpty());
    QCOMPARE(d.cboPrivilege->currentIndex(), -1);
    QCOMPARE(d.cboPrivilege->count(), 4);
    QVERIFY(!d.chkEnabled->isChecked());
    QCOMPARE(d.vleTemps->rowCount(), 10);
    QCOMPARE(d.vleTemps->item(9, 0)->text(), QStringLiteral("9"));
    QCOMPARE(d.vleTemps->currentRow(), 0);
    QVERIFY(f.sdk.calls.isEmpty());
}

void UserDialogTest::pickerListsUsersAndTheChosenOneIsRead()
{
    UserDialogFixture f;
    f.pushUsers({{1, QStringLiteral("Ann")}, {23, QStringLiteral("Bob")}});
    f.sdk.push(QStringLiteral("ReadUserInfo"), {true, {QStringLiteral("Bob"), QStringLiteral("77"), 1, true}});
    QStringList shownLines;
    int shownRow = -2;
    ModalDialogDriver driver([&](QWidget* window) {
        auto* picker = qobject_cast<TfrmSelOne*>(window);
        QVERIFY(picker);
        QCOMPARE(picker->windowTitle(), QStringLiteral("Select A User"));
        for (int i = 0; i < picker->ListBox1->count(); ++i)
            shownLines << picker->ListBox1->item(i)->text();
        shownRow = picker->ListBox1->currentRow();
        picker->ListBox1->setCurrentRow(1);
        QTest::mouseClick(picker->Button1, Qt::LeftButton);
    });
    f.click(f.dialog->btnLoadDev);
    QVERIFY(driver.hasRun());
    QCOMPARE(shownLines, (QStringList{"1      Ann", "23     Bob"}));
    QCOMPARE(shownRow, 0);
    QCOMPARE(f.dialog->edtPIN->text(), QStringLiteral("23"));
    QCOMPARE(f.callsNamed(QStringLiteral("ReadUserInfo")), QStringList{"ReadUserInfo(3,23)"});
    QCOMPARE(f.dialog->edtName->text(), QStringLiteral("Bob"));
    QCOMPARE(f.dialog->edtPwd->text(), QStringLiteral("77"));
    QCOMPARE(f.dialog->cboPrivilege->currentText(), QStringLiteral("登记员"));
    QVERIFY(f.dialog->chkEnabled->isChecked());
    QCOMPARE(f.dialog->userList(), shownLines);
}

void UserDialogTest::cancelledPickerReadsNothing()
{
    UserDialogFixture f;
    f.pushUsers({{1, QStringLiteral("Ann")}});
    ModalDialogDriver driver([&](QWidget* window) {
        auto* picker = qobject_cast<TfrmSelOne*>(window);
        QVERIFY(picker);
        QTest::mouseClick(picker->Button2, Qt::LeftButton);
    });
    f.click(f.dialog->btnLoadDev);
    QVERIFY(driver.hasRun());
    QVERIFY(f.dialog->edtPIN->text().isEmpty());
    QVERIFY(f.callsNamed(QStringLiteral("ReadUserInfo")).isEmpty());
}

void UserDialogTest::withoutUsersThereIsNoPicker_data()
{
    QTest::addColumn<bool>("loads");
    QTest::newRow("no users") << true;
    QTest::newRow("user list fails") << false;
}

void UserDialogTest::withoutUsersThereIsNoPicker()
{
    QFETCH(bool, loads);
    UserDialogFixture f;
    f.sdk.setDefault(QStringLiteral("LoadAllUserIds"), {loads});
    f.dialog->edtPIN->setText(QStringLiteral("   "));
    ModalDialogDriver driver([](QWidget* window) { window->close(); });
    f.click(f.dialog->btnLoadDev);
    QCoreApplication::processEvents();
    QVERIFY(!driver.hasRun());
    QCOMPARE(f.sdk.callNames().filter(QStringLiteral("ReadUserInfo")), QStringList());
    QVERIFY(f.fakes.messages.shown.isEmpty());
    QVERIFY(f.dialog->edtPIN->text().isEmpty());
}

void UserDialogTest::typedNumberIsCutToFiveCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("error");
    QTest::newRow("blanks around") << " 42 " << "42" << "ReadUserInfo(3,42)" << "";
    QTest::newRow("six digits") << "123456" << "12345" << "ReadUserInfo(3,12345)" << "";
    QTest::newRow("hexadecimal") << "$1F" << "$1F" << "ReadUserInfo(3,31)" << "";
    QTest::newRow("no number") << "ab" << "ab" << "" << "'ab' is not a valid integer value";
}

void UserDialogTest::typedNumberIsCutToFiveCharacters()
{
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, read);
    QFETCH(QString, error);
    UserDialogFixture f;
    f.dialog->edtPIN->setText(typed);
    f.click(f.dialog->btnLoadDev);
    QCOMPARE(f.dialog->edtPIN->text(), field);
    QCOMPARE(f.callsNamed(QStringLiteral("ReadUserInfo")), read.isEmpty() ? QStringList() : QStringList{read});
    QCOMPARE(f.fakes.messages.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QVERIFY(f.callsNamed(QStringLiteral("LoadAllUserIds")).isEmpty());
}

void UserDialogTest::privilegeIsTheRemainderOfFour_data()
{
    QTest::addColumn<int>("privilege");
    QTest::addColumn<int>("item");
    QTest::newRow("ordinary") << 0 << 0;
    QTest::newRow("super administrator") << 3 << 3;
    QTest::newRow("5 is an enroller") << 5 << 1;
    QTest::newRow("negative selects none") << -1 << -1;
}

void UserDialogTest::privilegeIsTheRemainderOfFour()
{
    QFETCH(int, privilege);
    QFETCH(int, item);
    UserDialogFixture f;
    f.dialog->cboPrivilege->setCurrentIndex(2);
    f.sdk.push(QStringLiteral("ReadUserInfo"), {true, {QStringLiteral("x"), QString(), privilege, false}});
    f.dialog->edtPIN->setText(QStringLiteral("8"));
    f.click(f.dialog->btnLoadDev);
    QCOMPARE(f.dialog->cboPrivilege->currentIndex(), item);
}

void UserDialogTest::onlyTemplatesReadOverwriteTheirRows()
{
    UserDialogFixture f;
    f.dialog->edtPIN->setText(QStringLiteral("1"));
    for (int finger = 0; finger < 10; ++finger)
        f.sdk.push(QStringLiteral("ReadFingerTemplate"), {true, {QByteArray(1, char(0xA0 + finger)), 1}});
    f.click(f.dialog->btnLoadDev);
    QCOMPARE(f.row(0), QStringLiteral("A0"));
    QCOMPARE(f.row(9), QStringLiteral("A9"));
    QCOMPARE(f.callsNamed(QStringLiteral("ReadFingerTemplate")).last(), QStringLiteral("ReadFingerTemplate(3,1,9)"));

    f.dialog->edtPIN->setText(QStringLiteral("2"));
    f.sdk.push(QStringLiteral("ReadFingerTemplate"), {true, {QByteArray("\x0a\xff\x00\x00", 4), 2}});
    f.sdk.push(QStringLiteral("ReadFingerTemplate"), {true, {QByteArray("\x01", 1), 1}});
    f.sdk.setDefault(QStringLiteral("ReadFingerTemplate"), {false});
    f.click(f.dialog->btnLoadDev);
    QCOMPARE(f.row(0), QStringLiteral("0AFF"));
    QCOMPARE(f.row(1), QStringLiteral("01"));
    for (int finger = 2; finger < 10; ++finger)
        QCOMPARE(f.row(finger), QStringLiteral("A%1").arg(finger));
}

void UserDialogTest::saveWritesTheFields_data()
{
    QTest::addColumn<int>("privilege");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("call");
    QTest::newRow("administrator, enabled") << 2 << true << "WriteUserInfo(3,17,Ann,123,2,true)";
    QTest::newRow("no privilege chosen, disabled") << -1 << false << "WriteUserInfo(3,17,Ann,123,-1,false)";
}

void UserDialogTest::saveWritesTheFields()
{
    QFETCH(int, privilege);
    QFETCH(bool, enabled);
    QFETCH(QString, call);
    UserDialogFixture f;
    f.dialog->edtPIN->setText(QStringLiteral("17"));
    f.dialog->edtName->setText(QStringLiteral("Ann"));
    f.dialog->edtPwd->setText(QStringLiteral("123"));
    f.dialog->cboPrivilege->setCurrentIndex(privilege);
    f.dialog->chkEnabled->setChecked(enabled);
    f.click(f.dialog->btnSaveDev);
    QCOMPARE(f.sdk.callTrace(), QStringList{call});
}

void UserDialogTest::deletesUserAndCurrentTemplate()
{
    UserDialogFixture f;
    f.dialog->edtPIN->setText(QStringLiteral("17"));
    f.click(f.dialog->btnDelDev);
    f.dialog->vleTemps->setCurrentCell(4, 1);
    f.click(f.dialog->Button9);
    QCOMPARE(f.sdk.callTrace(), (QStringList{"DeleteEnrollData(3,17,3,12)", "DeleteFingerTemplate(3,17,4)"}));
    QVERIFY(f.fakes.messages.shown.isEmpty());
}

void UserDialogTest::appendSendsTemplateFilesOfTheRightSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("sent");
    QTest::newRow("100 bytes") << 100 << false;
    QTest::newRow("101 bytes") << 101 << true;
    QTest::newRow("2047 bytes") << 2047 << true;
    QTest::newRow("2048 bytes") << 2048 << false;
}

void UserDialogTest::appendSendsTemplateFilesOfTheRightSize()
{
    QFETCH(int, size);
    QFETCH(bool, sent);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("finger.tpl"));
    const QByteArray bytes = bytesOfSize(size);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    UserDialogFixture f;
    f.dialog->edtPIN->setText(QStringLiteral("9"));
    f.fakes.files.answers << file;
    f.click(f.dialog->Button10);
    QCOMPARE(f.fakes.files.shown.size(), 1);
    QCOMPARE(f.fakes.files.shown.first().kind, QStringLiteral("open"));
    if (sent) {
        QCOMPARE(f.sdk.callNames(), QStringList{"SetUserTmp"});
        QCOMPARE(f.sdk.calls.first().args, (QVariantList{kMachine, 9, 0, bytes}));
    } else {
        QVERIFY(f.sdk.calls.isEmpty());
    }
    QVERIFY(f.fakes.messages.shown.isEmpty());
}

void UserDialogTest::appendReportsAFailedWrite()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("finger.tpl"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytesOfSize(400));
    out.close();

    UserDialogFixture f;
    f.dialog->edtPIN->setText(QStringLiteral("9"));
    f.dialog->vleTemps->setCurrentCell(6, 1);
    f.sdk.setDefault(QStringLiteral("SetUserTmp"), {false});
    f.sdk.setDefault(QStringLiteral("GetLastErrorCode"), {true, {5}});
    f.fakes.files.answers << file;
    f.click(f.dialog->Button10);
    QCOMPARE(f.sdk.callTrace().first().left(16), QStringLiteral("SetUserTmp(3,9,6"));
    QCOMPARE(f.fakes.messages.shown.size(), 1);
    QCOMPARE(f.fakes.messages.shown.first().kind, QStringLiteral("errorCancel"));
    QCOMPARE(f.fakes.messages.shown.first().text, QStringLiteral("Error to SetUserTmp : 5!"));

    // A file that is gone ends the command with a box naming it; nothing is sent.
    f.sdk.calls.clear();
    f.fakes.messages.shown.clear();
    f.fakes.files.answers << dir.filePath(QStringLiteral("gone.tpl"));
    f.click(f.dialog->Button10);
    QVERIFY(f.sdk.calls.isEmpty());
    QCOMPARE(f.fakes.messages.errors().size(), 1);
    QVERIFY(f.fakes.messages.errors().first().contains(QStringLiteral("gone.tpl")));
}

void UserDialogTest::saveBinaryWritesTheBytesAndTheOldFormat()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("finger0.bin"));
    UserDialogFixture f;
    f.dialog->vleTemps->item(0, 1)->setText(QStringLiteral("0AFF"));

    f.fakes.files.answers << QString(); // cancelled: nothing happens
    f.click(f.dialog->Button7);
    QVERIFY(!QFile::exists(file));

    f.sdk.push(QStringLiteral("ConvertFingerTemplate"), {true, {QByteArray("\x01\x02\x03", 3), 2}});
    f.fakes.files.answers << file;
    f.click(f.dialog->Button7);
    QCOMPARE(f.fakes.files.shown.last().kind, QStringLiteral("save"));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\x0a\xff", 2));
    QCOMPARE(f.sdk.calls.last().args, QVariantList{QByteArray("\x0a\xff", 2)});
    QFile old(file + QStringLiteral(".old"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("\x01\x02", 2));

    // A failed conversion leaves only the first file.
    const QString second = dir.filePath(QStringLiteral("finger0b.bin"));
    f.sdk.push(QStringLiteral("ConvertFingerTemplate"), {false});
    f.fakes.files.answers << second;
    f.click(f.dialog->Button7);
    QVERIFY(QFile::exists(second));
    QVERIFY(!QFile::exists(second + QStringLiteral(".old")));

    // An empty row writes nothing.
    f.dialog->vleTemps->setCurrentCell(3, 1);
    const QString third = dir.filePath(QStringLiteral("finger3.bin"));
    f.fakes.files.answers << third;
    f.click(f.dialog->Button7);
    QVERIFY(!QFile::exists(third));
}

void UserDialogTest::saveBinaryStopsAtANonHexCharacter()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bad.bin"));
    UserDialogFixture f;
    f.dialog->vleTemps->item(0, 1)->setText(QStringLiteral("G0"));
    f.fakes.files.answers << file;
    f.click(f.dialog->Button7);
    QCOMPARE(f.fakes.messages.errors(), QStringList{"Error of Integer: G"});
    QVERIFY(!QFile::exists(file));
    QVERIFY(f.sdk.calls.isEmpty());
}

void UserDialogTest::setNameOpensTheDialogForTheWindowsTerminal()
{
    BenchWindowFixture f;
    f.window->edtNetPort->setText(QStringLiteral("4"));
    f.click(f.window->btnConnect);
    f.sdk->calls.clear();
    QPointer<TfrmUser> opened;
    ModalDialogDriver driver([&](QWidget* window) {
        opened = qobject_cast<TfrmUser*>(window);
        QVERIFY(opened);
        opened->edtPIN->setText(QStringLiteral("5"));
        QTest::mouseClick(opened->btnSaveDev, Qt::LeftButton);
        opened->close();
    });
    f.click(f.window->btnSetName);
    QVERIFY(driver.hasRun());
    QCOMPARE(f.sdk->callTrace(), QStringList{"WriteUserInfo(4,5,,,-1,false)"});
    QCoreApplication::processEvents();
    QVERIFY(opened.isNull()); // released when it closed
}

QTEST_MAIN(UserDialogTest)
#include "UserDialogTest.moc"
