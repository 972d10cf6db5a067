#include "UserRetrieval.h"

#include "BulkRead.h"
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

void fetchUsers(Context& c, ReadProgress& progress)
{
    const int machine = c.state.machineNumber;
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
    runBulkRead(c, {QStringLiteral("人"), QStringLiteral("人员信息"),
                    [&c] { return c.sdk.LoadAllUserIds(c.state.machineNumber); },
                    [&](ReadProgress& progress) { fetchUsers(c, progress); }});
}

} // namespace UserRetrieval
