#pragma once

#include "FakeTermSdk.h"
#include "FakeUiServices.h"
#include "TForm1.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "TaggedButton.h"
#include <QTest>

#include <memory>

// A shown test window whose SDK control is a recording fake.
struct BenchWindowFixture {
    FakeUiServices fakes;
    FakeTermSdk* sdk = nullptr;
    std::unique_ptr<TForm1> window;

    BenchWindowFixture()
    {
        window = std::make_unique<TForm1>(fakes.services(), [this] {
            auto fake = std::make_unique<FakeTermSdk>();
            sdk = fake.get();
            return fake;
        });
        window->show();
        QCoreApplication::processEvents();
        sdk->calls.clear();
    }

    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    QStringList lines() const
    {
        const QString text = window->Memo1->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }

    // Fails every call of that operation, leaving code for GetLastErrorCode.
    void failAlways(const QString& operation, int code)
    {
        sdk->setDefault(operation, {false});
        sdk->setDefault(QStringLiteral("GetLastErrorCode"), {true, {code}});
    }
};
