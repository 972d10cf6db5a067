#include "HalvernSettingsFixture.h"
#include "FormBorderStyle.h"
#include "THalvern.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

using namespace TestFiles;

namespace {

QString placementText(const THalvern::WindowPlacement& p) {
    return u"%1 %2x%3 at %4,%5"_s.arg(p.maximised ? u"maximised"_s : u"normal"_s)
        .arg(p.width)
        .arg(p.height)
        .arg(p.left)
        .arg(p.top);
}

QString windowText(const QWidget& form) {
    const QRect outer = form.frameGeometry();
    return u"%1 %2x%3 at %4,%5"_s.arg(form.isMaximized() ? u"maximised"_s : u"normal"_s)
        .arg(outer.width())
        .arg(outer.height())
        .arg(outer.x())
        .arg(outer.y());
}

// Places a shown window by its outer rectangle, frame included.
void setOuterGeometry(QWidget& form, const QRect& outer) {
    const QRect inner = form.geometry();
    const QRect frame = form.frameGeometry();
    form.setGeometry(outer.adjusted(inner.left() - frame.left(), inner.top() - frame.top(),
                                    inner.right() - frame.right(), inner.bottom() - frame.bottom()));
}

const QByteArray FallbackWin =
    "[WIN]\r\nISAUTOMAX=1\r\nWIDTH=1000\r\nHEIGHT=800\r\nLEFT=400\r\nTOP=140\r\n"_ba;

} // namespace

class WindowPlacementTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readFromSettingsFile_data();
    void readFromSettingsFile();
    void writtenInKeyOrder();
    void borderStyles_data();
    void borderStyles();
    void normalPlacementAppliedAndTakenBack();
    void maximisedFormKeepsLastNormalPlacement();
    void formLargerThanScreenIsMaximised();
    void unconcernedFormsAndRecordStayAsTheyAre();
};

void WindowPlacementTest::readFromSettingsFile_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("placement");
    QTest::addColumn<QByteArray>("fileAfter");

    QTest::newRow("no WIN section") << "[PARAM]\r\nx=1\r\n"_ba << u"maximised 1000x800 at 400,140"_s
                                    << "[PARAM]\r\nx=1\r\n"_ba + FallbackWin;
    QTest::newRow("WIDTH 0 overwrites every key")
        << "[WIN]\r\nISAUTOMAX=0\r\nWIDTH=0\r\nHEIGHT=5\r\nLEFT=6\r\nTOP=7\r\n"_ba
        << u"maximised 1000x800 at 400,140"_s << FallbackWin;
    QTest::newRow("stored placement")
        << "[win]\r\nisautomax=0\r\nwidth=900\r\nheight=700\r\nleft=-8\r\ntop=20\r\n"_ba
        << u"normal 900x700 at -8,20"_s
        << "[win]\r\nisautomax=0\r\nwidth=900\r\nheight=700\r\nleft=-8\r\ntop=20\r\n"_ba;
    QTest::newRow("absent keys read -1")
        << "[WIN]\r\nWIDTH=900\r\n"_ba << u"normal 900x-1 at -1,-1"_s << "[WIN]\r\nWIDTH=900\r\n"_ba;
}

void WindowPlacementTest::readFromSettingsFile() {
    QFETCH(QByteArray, settings);
    QFETCH(QString, placement);
    QFETCH(QByteArray, fileAfter);
    HalvernSettingsFixture f(settings);
    f.component.hv_SYS_WIN_GetWinShowAbbInfo();
    QCOMPARE(placementText(f.component.windowPlacement()), placement);
    QCOMPARE(readFile(f.path), fileAfter);
}

void WindowPlacementTest::writtenInKeyOrder() {
    HalvernSettingsFixture f("[WIN]\r\nTOP=1\r\n"_ba);
    QWidget form;
    form.setGeometry(30, 40, 500, 300);
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&form);
    f.component.hv_SYS_WIN_SetWinShowAbbInfo();
    QCOMPARE(readFile(f.path), "[WIN]\r\nTOP=40\r\nISAUTOMAX=0\r\nWIDTH=500\r\nHEIGHT=300\r\nLEFT=30\r\n"_ba);
}

void WindowPlacementTest::borderStyles_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("fixedSize");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("concerned");

    QTest::newRow("sizeable") << int(Qt::Window) << false << int(FormBorderStyle::Sizeable) << true;
    QTest::newRow("single") << int(Qt::Window) << true << int(FormBorderStyle::Single) << true;
    QTest::newRow("sizeable tool window")
        << int(Qt::Tool) << false << int(FormBorderStyle::SizeToolWin) << true;
    QTest::newRow("tool window") << int(Qt::Tool) << true << int(FormBorderStyle::ToolWindow) << false;
    QTest::newRow("dialog") << int(Qt::Dialog) << false << int(FormBorderStyle::Dialog) << false;
    QTest::newRow("no border") << int(Qt::Window | Qt::FramelessWindowHint) << false
                               << int(FormBorderStyle::None) << false;
}

void WindowPlacementTest::borderStyles() {
    QFETCH(int, flags);
    QFETCH(bool, fixedSize);
    QFETCH(int, style);
    QFETCH(bool, concerned);
    QWidget form(nullptr, Qt::WindowFlags(flags));
    if (fixedSize)
        form.setFixedSize(400, 300);
    QCOMPARE(int(formBorderStyle(&form)), style);
    QCOMPARE(hasRememberedPlacement(formBorderStyle(&form)), concerned);
}

void WindowPlacementTest::normalPlacementAppliedAndTakenBack() {
    HalvernSettingsFixture f("[WIN]\r\nISAUTOMAX=0\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=50\r\nTOP=60\r\n"_ba);
    f.component.hv_SYS_WIN_GetWinShowAbbInfo();
    QWidget form;
    form.setGeometry(0, 0, 200, 100);
    form.show();
    form.setWindowState(Qt::WindowMaximized);
    f.component.hv_SYS_Win_SetWinShowStateFromAbbInfo(&form);
    QCOMPARE(windowText(form), u"normal 640x480 at 50,60"_s);
    setOuterGeometry(form, QRect(70, 80, 700, 500));
    QCOMPARE(windowText(form), u"normal 700x500 at 70,80"_s);
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&form);
    QCOMPARE(placementText(f.component.windowPlacement()), u"normal 700x500 at 70,80"_s);
    // Taking the placement from the window writes nothing.
    QCOMPARE(readFile(f.path), "[WIN]\r\nISAUTOMAX=0\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=50\r\nTOP=60\r\n"_ba);
}

void WindowPlacementTest::maximisedFormKeepsLastNormalPlacement() {
    HalvernSettingsFixture f("[WIN]\r\nISAUTOMAX=0\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=50\r\nTOP=60\r\n"_ba);
    f.component.hv_SYS_WIN_GetWinShowAbbInfo();
    QWidget form;
    form.show();
    form.setWindowState(Qt::WindowMaximized);
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&form);
    QCOMPARE(placementText(f.component.windowPlacement()), u"maximised 640x480 at 50,60"_s);

    QWidget other;
    other.setGeometry(5, 5, 100, 100);
    other.show();
    f.component.hv_SYS_Win_SetWinShowStateFromAbbInfo(&other);
    QVERIFY(other.isMaximized());
    f.component.hv_SYS_WIN_SetWinShowAbbInfo();
    QCOMPARE(readFile(f.path), "[WIN]\r\nISAUTOMAX=1\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=50\r\nTOP=60\r\n"_ba);
}

void WindowPlacementTest::formLargerThanScreenIsMaximised() {
    HalvernSettingsFixture f(""_ba);
    f.host.screen = QSize(1280, 1024);
    QWidget form;
    form.setGeometry(0, 0, 1300, 600);
    form.show();
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&form);
    QVERIFY(form.isMaximized());
    QVERIFY(f.component.windowPlacement().maximised);

    QWidget fitting;
    fitting.show();
    setOuterGeometry(fitting, QRect(0, 0, 1280, 1024));
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&fitting);
    QVERIFY(!fitting.isMaximized());
    QCOMPARE(placementText(f.component.windowPlacement()), u"normal 1280x1024 at 0,0"_s);
}

void WindowPlacementTest::unconcernedFormsAndRecordStayAsTheyAre() {
    HalvernSettingsFixture f("[WIN]\r\nISAUTOMAX=1\r\nWIDTH=640\r\nHEIGHT=480\r\nLEFT=50\r\nTOP=60\r\n"_ba);
    f.component.hv_SYS_WIN_GetWinShowAbbInfo();
    QDialog dialog;
    dialog.show();
    setOuterGeometry(dialog, QRect(10, 20, 1500, 300));
    f.component.hv_SYS_Win_SetWinShowStateFromAbbInfo(&dialog);
    f.component.hv_SYS_WIN_GetWinShowAbbInfoFromWinState(&dialog);
    QCOMPARE(windowText(dialog), u"normal 1500x300 at 10,20"_s);
    QCOMPARE(placementText(f.component.windowPlacement()), u"maximised 640x480 at 50,60"_s);

    QWidget tool(nullptr, Qt::Tool);
    tool.setFixedSize(200, 100);
    tool.show();
    tool.move(15, 25);
    const QString before = windowText(tool);
    f.component.hv_SYS_Win_SetWinShowStateFromAbbInfo(&tool);
    QCOMPARE(windowText(tool), before);
}

QTEST_MAIN(WindowPlacementTest)
#include "WindowPlacementTest.moc"
