#pragma once

#include "WireReader.h"
#include "WireWriter.h"

#include <QByteArray>
#include <QtEndian>
#include <QtGlobal>

#include <cstring>

// Compact record layouts of the bulk transfers (little-endian):
//
//   attendance log record  u8 n, n bytes enroll number (UTF-8 text), u32 time
//                          (WireTime), u8 verify mode, u8 in/out state, u32 work code
//   user record            str8 enroll number, str8 name, str8 password,
//                          u8 privilege, u8 enabled (0/1)
//   management log record  i32 operator enroll number, i32 enroll number acted on,
//                          i32 manipulation, i32 parameter 1, i32 parameter 2, u32 time
//
// The log record functions are inline: they run once per record on both ends.
class WireRecords {
public:
    static constexpr int MaxEnrollBytes = 32;
    static constexpr int SuperLogRecordSize = 24;

    // One management log record, as the terminal keeps it and the wire carries it.
    struct SuperLog {
        qint32 operatorEnroll = 0;
        qint32 targetEnroll = 0;
        qint32 manipulation = 0;
        qint32 params1 = 0;
        qint32 params2 = 0;
        quint32 time = 0; // WireTime
    };

    static void writeSuperLog(WireWriter& w, const SuperLog& s)
    {
        w.i32(s.operatorEnroll).i32(s.targetEnroll).i32(s.manipulation).i32(s.params1).i32(s.params2).u32(s.time);
    }

    // Reads one record; a short read leaves r not ok (WireReader).
    static SuperLog readSuperLog(WireReader& r)
    {
        SuperLog s;
        s.operatorEnroll = r.i32();
        s.targetEnroll = r.i32();
        s.manipulation = r.i32();
        s.params1 = r.i32();
        s.params2 = r.i32();
        s.time = r.u32();
        return s;
    }

    struct LogView {
        const char* enroll;
        quint8 enrollLength;
        quint32 time;
        quint8 verifyMode;
        quint8 inOutMode;
        quint32 workCode;
    };

    static void appendLog(QByteArray& out, const char* enroll, int enrollLength, quint32 time, quint8 verifyMode,
                          quint8 inOutMode, quint32 workCode)
    {
        const qsizetype at = out.size();
        out.resize(at + 1 + enrollLength + 10);
        char* p = out.data() + at;
        *p++ = char(quint8(enrollLength));
        std::memcpy(p, enroll, size_t(enrollLength));
        p += enrollLength;
        qToLittleEndian<quint32>(time, p);
        p[4] = char(verifyMode);
        p[5] = char(inOutMode);
        qToLittleEndian<quint32>(workCode, p + 6);
    }

    // Parses one record at p; false when the record runs past end or its
    // enroll number is empty or longer than MaxEnrollBytes.
    static bool parseLog(const char*& p, const char* end, LogView& out)
    {
        if (end - p < 1)
            return false;
        const quint8 n = quint8(*p);
        if (n == 0 || n > MaxEnrollBytes || end - p < 1 + n + 10)
            return false;
        out.enroll = p + 1;
        out.enrollLength = n;
        const char* q = p + 1 + n;
        out.time = qFromLittleEndian<quint32>(q);
        out.verifyMode = quint8(q[4]);
        out.inOutMode = quint8(q[5]);
        out.workCode = qFromLittleEndian<quint32>(q + 6);
        p = q + 10;
        return true;
    }
};
