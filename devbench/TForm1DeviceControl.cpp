// The device-control column: fingerprint image, firmware, display, beeper,
// voices, enrol/verify/identify, the terminal's data backup, the sample user
// and template; and the terminal's events.
#include "TForm1.h"

#include "FileDialog.h"
#include "ITermSdk.h"
#include "SampleTemplates.h"
#include "UiServices.h"

#include <QPlainTextEdit>

namespace {
constexpr int kCaptureBufferBytes = 524288;
// The user and finger that enrol and verify work on: a number no real user takes.
constexpr int kTestUser = 65530;
constexpr int kTestFinger = 0;
} // namespace

void TForm1::bindTerminalEvents()
{
    TermSdk1->SetEventHandler([this](const TermEvent& event) {
        if (event.kind == TermEvent::Kind::FingerFeature)
            TermSdk1FingerFeature(event.value);
        else
            TermSdk1Verify(event.value);
    });
}

void TForm1::TermSdk1FingerFeature(int score)
{
    AddMessage(QStringLiteral("Finger Feature: %1").arg(score));
}

void TForm1::TermSdk1Verify(int userId)
{
    AddMessage(QStringLiteral("User Verified: %1").arg(userId));
}

QString TForm1::lastErrorText()
{
    int code = 0;
    TermSdk1->GetLastErrorCode(code);
    return QString::number(code);
}

void TForm1::Button7Click()
{
    QByteArray buffer(kCaptureBufferBytes, '\0');
    int width = 80;
    int height = 0;
    if (TermSdk1->CaptureFingerImage(true, width, height, buffer, QStringLiteral("fp.bmp")))
        AddMessage(QStringLiteral("Captured an image."));
    else
        AddMessage(QStringLiteral("Capture image fail."));
}

void TForm1::Button8Click()
{
    if (TermSdk1->UpdateFirmware(QStringLiteral("emfw.cfg")))
        AddMessage(QStringLiteral("UpdateFirmware success.pls restart the devie."));
    else
        AddMessage(QStringLiteral("UpdateFirmware fail."));
}

void TForm1::Button12Click()
{
    TermSdk1->ClearLCD();
}

void TForm1::Button11Click()
{
    const QString stars = QStringLiteral("        ***          ");
    TermSdk1->EnableDefaultLCD(false);
    TermSdk1->WriteLCD(0, 0, stars);
    TermSdk1->WriteLCD(1, 0, QStringLiteral("Welcome to work"));
    TermSdk1->WriteLCD(2, 0, stars);
    TermSdk1->WriteLCD(3, 0, QStringLiteral("        "));
    m_services.messages->showInformation(this, QStringLiteral("Close this window to restore lcd display"));
    TermSdk1->EnableDefaultLCD(true);
}

void TForm1::Button14Click()
{
    TermSdk1->Beep(1000);
}

void TForm1::Button13Click()
{
    for (int i = 0; i <= 9; ++i) {
        TermSdk1->PlayVoiceByIndex(i);
        if (!m_services.messages->askYesNo(this, QStringLiteral("Continue next voice?")))
            return;
    }
    TermSdk1->PlayVoice(30, 29);
}

void TForm1::Button15Click()
{
    TermSdk1->CancelOperation();
    TermSdk1->DeleteFingerTemplate(1, kTestUser, kTestFinger);
    if (TermSdk1->StartEnroll(kTestUser, kTestFinger))
        AddMessage(QStringLiteral("Start Enroll a user, UserID=%1, FingerID=%2").arg(kTestUser).arg(kTestFinger));
    else
        AddMessage(QStringLiteral("StartEnroll Error, Code=") + lastErrorText());
}

void TForm1::Button16Click()
{
    TermSdk1->CancelOperation();
    if (TermSdk1->StartVerify(kTestUser, kTestFinger))
        AddMessage(QStringLiteral("Start Verify a user, UserID=%1, FingerID=%2").arg(kTestUser).arg(kTestFinger));
    else
        AddMessage(QStringLiteral("StartVerify Error, Code=") + lastErrorText());
}

void TForm1::Button17Click()
{
    TermSdk1->CancelOperation();
    if (TermSdk1->StartIdentify())
        AddMessage(QStringLiteral("StartIdentify user."));
    else
        AddMessage(QStringLiteral("StartIdentify Error, Code=") + lastErrorText());
}

void TForm1::Button18Click()
{
    if (TermSdk1->CancelOperation())
        AddMessage(QStringLiteral("CancelOperation OK."));
    else
        AddMessage(QStringLiteral("CancelOperation Error, Code=") + lastErrorText());
}

void TForm1::Button19Click()
{
    if (!SaveDialog2.Execute(*m_services.files, this))
        return;
    const QString fileName = SaveDialog2.FileName;
    if (TermSdk1->BackupData(fileName)) {
        AddMessage(QStringLiteral("Backup Data to File: \"%1\" OK.").arg(fileName));
        if (OpenDialog2.FileName.isEmpty())
            OpenDialog2.FileName = fileName;
    } else {
        AddMessage(QStringLiteral("BackupData Error, Code=") + lastErrorText());
    }
}

void TForm1::Button20Click()
{
    if (!OpenDialog2.Execute(*m_services.files, this))
        return;
    const QString fileName = OpenDialog2.FileName;
    if (TermSdk1->RestoreData(fileName))
        AddMessage(QStringLiteral("Restore Data from File: \"%1\" OK.").arg(fileName));
    else
        AddMessage(QStringLiteral("RestoreData Error, Code=") + lastErrorText());
}

void TForm1::Button1Click()
{
    const QString sample = QLatin1String(SampleTemplates::Base64_438);
    // These two lines go in without the immediate repaint of AddMessage.
    Memo1->appendPlainText(QStringLiteral("FPTempLength=%1").arg(TermSdk1->FPTempLength(sample)));
    if (TermSdk1->SetEnrollDataStr(FMachineNumber, 1, FMachineNumber, 0, 1, sample, 0))
        Memo1->appendPlainText(QStringLiteral("SetEnrollDataStr OK"));
    else
        Memo1->appendPlainText(QStringLiteral("SetEnrollDataStr Fail."));
}

void TForm1::Button2Click()
{
    TermSdk1->WriteUserInfo(1, 1, QStringLiteral("aaa"), QString(), 0, true);
    TermSdk1->WriteFingerTemplateText(1, 1, 0, QLatin1String(SampleTemplates::Hex394));
}
