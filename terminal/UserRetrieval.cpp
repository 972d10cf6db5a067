#include "UserRetrieval.h"

#include "ITermSdk.h"
#include "QvTables.h"
#include "ReadProgress.h"
#include "TerminalVisit.h"
#include "WorkingTable.h"

namespace UserRetrieval {
namespace {
using namespace QvTables;

void addPerson(WorkingTable& persons, const QVariant& deviceNo, const QString& enrollNo, const QString& name,
               const QString& password, int privilege, bool flag)
{
    persons.append();
    persons.setFieldValue(kDeviceNo, deviceNo);
    persons.setFieldValue(kEnrollNo, enrollNo);
    persons.setFieldValue(kName, name);
    persons.setFieldValue(kPassword, password);
    persons.setFieldValue(kKind, privilege);
    persons.setFieldValue(kDisabled, flag); // stored as the terminal delivers it
    persons.post();
}

void readUsers(Context& c, ReadProgress& progress)
{
    const int machine = c.state.machineNumber;
    if (!c.sdk.LoadAllUserIds(machine))
        return;
    const QVariant deviceNo = c.devices.fieldValue(kDeviceNo);
    IEventPump& events = *c.services.events;
    QString name, password;
    int privilege = 0;
    bool flag = false;
    if (c.devices.fieldText(kDeviceType) == kBlackWhite) {
        int enrollNo = 0;
        // Name and password go into each fetch holding the previous user's values.
        while (!c.shouldStop() && c.sdk.NextUserRecord(machine, enrollNo, name, password, privilege, flag)) {
            addPerson(c.target, deviceNo, QString::number(enrollNo), name, password, privilege, flag);
            progress.count(1);
            events.processEvents();
        }
    } else {
        QString enrollNo;
        while (!c.shouldStop()) {
            enrollNo.clear();
            name.clear();
            password.clear();
            if (!c.sdk.NextUserRecordStr(machine, enrollNo, name, password, privilege, flag))
                break;
            addPerson(c.target, deviceNo, enrollNo, name, password, privilege, flag);
            progress.count(1);
            events.processEvents();
        }
    }
}
} // namespace

void run(Context& c)
{
    c.target.emptyTable();
    ReadProgress progress(c.progress, QStringLiteral("人"));
    TerminalVisit::walk(
        c.devices, *c.services.events,
        [&] {
            if (!TerminalVisit::connect(c.devices, c.sdk, c.state)) {
                c.services.messages->showError(
                    c.window, QStringLiteral("连接设备(设备号：%1)失败").arg(c.devices.fieldText(kDeviceNo)));
                return;
            }
            progress.startTerminal(c.devices.fieldText(kDeviceNo));
            try {
                readUsers(c, progress);
            } catch (...) {
                // A terminal that fails while being read keeps the users read so far;
                // a half-filled row is dropped. The terminal is given back below in every case.
                c.target.cancel();
            }
            TerminalVisit::release(c.sdk, c.state);
        },
        c.stopRequested);
    progress.finish();
}

} // namespace UserRetrieval
