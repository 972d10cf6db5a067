#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QTest>

#include <exception>
#include <functional>

// Small file and text helpers shared by the tests that check files byte for byte.
namespace TestFiles {

inline QByteArray gbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// The text of the exception an action throws; empty when it throws none.
inline QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

} // namespace TestFiles
