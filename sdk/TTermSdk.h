#pragma once

#include "ITermSdk.h"
#include "TermLink.h"
#include "TermLogBuffer.h"
#include "TermSuperLogBuffer.h"
#include "TermUserBuffer.h"

#include <functional>
#include <memory>

class QObject;

enum class WireOp : quint16;

// Client of a real terminal (or of termsim) over TCP or a serial line, speaking
// the wire protocol of docs/protocol.md. Every call blocks until the terminal
// answers or a timeout passes; no event loop needs to run. Failures leave a
// TermError code (TermError.h) for GetLastErrorCode.
//
// Timeouts: connect 3 s (one deadline over name lookup, TCP connect and the
// Connect reply), reply 5 s of inactivity (a long reply may take as long as the
// line needs while bytes keep coming), unless the environment sets
// TERMSDK_CONNECT_TIMEOUT_MS / TERMSDK_REPLY_TIMEOUT_MS or the setters change them.
// Serial port n opens the device that TermSerialPortMap names (TERMSDK_COM<n>).
//
// Terminal events are handed to the event handler from the event loop of the
// thread that created the object (a queued call), after the SDK call during
// which they arrived has returned; a program without an event loop never
// sees them.
class TTermSdk : public ITermSdk {
public:
    static constexpr int DefaultConnectTimeoutMs = 3000;
    static constexpr int DefaultReplyTimeoutMs = 5000;

    TTermSdk();
    ~TTermSdk() override;

    void setConnectTimeout(int ms) { m_connectTimeoutMs = qMax(1, ms); }
    int connectTimeout() const { return m_connectTimeoutMs; }
    void setReplyTimeout(int ms) { m_replyTimeoutMs = qMax(1, ms); }
    int replyTimeout() const { return m_replyTimeoutMs; }
    bool isConnected() const { return m_link.isOpen(); }

    // Emulator only (termsim): places the finger `finger` of the person with
    // enroll number `enroll` on the sensor, with a read score of 0..100. A real
    // terminal refuses it. The answer says what the terminal did with it.
    struct SimFingerResult {
        int operation = 0;   // 1 enrol, 2 verify, 3 identify
        int pressesLeft = 0; // enrol: presses still needed; 0 once stored
        QString matchedEnroll; // verify, identify: the matched user; empty: nobody
        bool eventsSent = false; // the connection that started the operation got the events
    };
    bool simulateFinger(const QString& enroll, int finger, int score, SimFingerResult& result);
    // Transport detail of the last failure ("Connection refused"), for messages.
    QString lastErrorDetail() const { return m_detail; }
    // Bytes this client has sent and received on its connections (for line-time figures).
    qint64 bytesMoved() const { return m_link.bytesMoved(); }

    void SetCommPort(int port) override;
    int CommPort() const override;
    bool ConnectSerial(int port, int machineNumber, int baudRate) override;
    bool ConnectNetwork(const QString& ipAddress, int port) override;
    bool SetCommKey(int commKey) override;
    bool SetDeviceEnabled(int machineNumber, bool enabled) override;
    bool RefreshDeviceData(int machineNumber) override;
    void Disconnect() override;
    bool LoadAllLogs(int machineNumber) override;
    bool NextLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber, int& enrollMachineNumber,
                       int& verifyMode, int& inOutMode, int& year, int& month, int& day, int& hour,
                       int& minute) override;
    bool NextLogRecordStr(int machineNumber, QString& enrollNumber, int& verifyMode, int& inOutMode, int& year,
                          int& month, int& day, int& hour, int& minute, int& second, int& workCode) override;
    bool LoadAllUserIds(int machineNumber) override;
    bool NextUserRecord(int machineNumber, int& enrollNumber, QString& name, QString& password, int& privilege,
                        bool& enabled) override;
    bool NextUserRecordStr(int machineNumber, QString& enrollNumber, QString& name, QString& password,
                           int& privilege, bool& enabled) override;
    void GetLastErrorCode(int& errorCode) override;
    void SetEventHandler(TermEventHandler handler) override;
    bool ClearAdministrators(int machineNumber) override;
    bool DeleteEnrollData(int machineNumber, int enrollNumber, int enrollMachineNumber, int backupNumber) override;
    bool LoadSuperLogs(int machineNumber) override;
    bool LoadLogs(int machineNumber) override;
    bool GetDeviceStatus(int machineNumber, int statusIndex, int& value) override;
    bool GetDeviceInfo(int machineNumber, int infoIndex, int& value) override;
    bool SetDeviceInfo(int machineNumber, int infoIndex, int value) override;
    bool SetDeviceTime(int machineNumber) override;
    bool PowerOffDevice(int machineNumber) override;
    bool GetDeviceTime(int machineNumber, int& year, int& month, int& day, int& hour, int& minute,
                       int& second) override;
    bool NextSuperLogRecord(int machineNumber, int& terminalMachineNumber, int& enrollNumber,
                            int& enrollMachineNumber, int& manipulatedEnrollNumber, int& manipulation, int& params1,
                            int& params2, int& year, int& month, int& day, int& hour, int& minute) override;
    bool GetSerialNumber(int machineNumber, QString& serialNumber) override;
    bool ClearAllData(int machineNumber) override;
    bool GetProductCode(int machineNumber, QString& productCode) override;
    bool GetFirmwareVersion(int machineNumber, QString& version) override;
    bool GetSdkVersion(QString& version) override;
    bool ClearAttendanceLogs(int machineNumber) override;
    bool WriteUserInfo(int machineNumber, int enrollNumber, const QString& name, const QString& password,
                       int privilege, bool enabled) override;
    bool ReadUserInfo(int machineNumber, int enrollNumber, QString& name, QString& password, int& privilege,
                      bool& enabled) override;
    bool ReadFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex, QByteArray& buffer,
                            int& length) override;
    bool SetUserTmp(int machineNumber, int enrollNumber, int fingerIndex, const QByteArray& templateData) override;
    bool DeleteFingerTemplate(int machineNumber, int enrollNumber, int fingerIndex) override;
    bool ConvertFingerTemplate(const QByteArray& templateData, QByteArray& output, int& outputLength) override;
    bool ACUnlock(int machineNumber, int delay) override;
    bool WriteFingerTemplateText(int machineNumber, int enrollNumber, int fingerIndex,
                                 const QString& templateText) override;
    bool SetEnrollDataStr(int machineNumber, int enrollNumber, int enrollMachineNumber, int fingerIndex,
                          int privilege, const QString& templateText, int password) override;
    int FPTempLength(const QString& templateText) override;
    bool CaptureFingerImage(bool fullImage, int& width, int& height, QByteArray& imageBuffer,
                            const QString& imageFile) override;
    bool UpdateFirmware(const QString& firmwareFile) override;
    bool StartEnroll(int enrollNumber, int fingerIndex) override;
    bool StartVerify(int enrollNumber, int fingerIndex) override;
    bool StartIdentify() override;
    bool CancelOperation() override;
    bool BackupData(const QString& fileName) override;
    bool RestoreData(const QString& fileName) override;
    bool WriteLCD(int row, int column, const QString& text) override;
    bool ClearLCD() override;
    bool Beep(int delayMs) override;
    bool PlayVoice(int position, int length) override;
    bool PlayVoiceByIndex(int index) override;
    bool EnableDefaultLCD(bool enabled) override;

private:
    using ChunkSink = std::function<bool(const char* data, qsizetype length, quint32 count)>;

    bool fail(int code, const QString& detail = QString());
    // Waits while the reply keeps coming (reply timeout = inactivity), and no
    // longer than the deadline.
    bool request(WireOp op, const QByteArray& payload, QByteArray* replyPayload = nullptr,
                 QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    bool openSession(quint8 transport, int machineNumber, int port, int baudRate, const QString& address,
                     QDeadlineTimer deadline);
    bool bulkLoad(WireOp op, const QByteArray& payload, quint32& records, const ChunkSink& sink,
                  const std::function<void(quint32)>& announce = {});
    // Clears buffer and fills it by the bulk transfer op; empty again on failure. A
    // buffer that can reserve is told the announced record count. An empty
    // transfer fails with NoData when emptyIsNoData.
    template <typename Buffer>
    bool loadBuffer(WireOp op, int machineNumber, Buffer& buffer, bool emptyIsNoData);
    bool upload(const QByteArray& data);
    // Reads a local file, uploads it and asks the terminal to take it by op
    // (machine, size, CRC, then moreArguments).
    bool sendFile(WireOp op, const QString& fileName, const QByteArray& moreArguments = QByteArray());
    // One integer answer to op about the index'th item.
    bool readIndexed(WireOp op, int machineNumber, int index, int& value);
    // One text answer to op.
    bool readText(WireOp op, int machineNumber, QString& text);
    bool machineOnly(WireOp op, int machineNumber);
    void scheduleEventDelivery();
    void deliverEvents();

    int m_commPort = 1;
    int m_commKey = -1;
    int m_lastError = 0;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    int m_replyTimeoutMs = DefaultReplyTimeoutMs;
    int m_machine = 1;
    QString m_detail;
    TermLink m_link;
    TermLogBuffer m_logs;
    TermUserBuffer m_users;
    TermSuperLogBuffer m_superLogs;
    TermEventHandler m_eventHandler;
    std::unique_ptr<QObject> m_eventContext;
    bool m_deliveryPosted = false;
};
