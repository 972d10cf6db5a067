#pragma once

#include "FakeTermSdk.h"
#include "FakeUiServices.h"
#include "QvTables.h"
#include "TfrmMain.h"
#include "WorkingTable.h"

#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

// A shown main window whose SDK controls are recording fakes. sdks[0] and
// sdks[1] are the window's TermSdk1 and TermSdk2; each editor dialog opened
// later gets the next one, which lives only as long as that dialog.
struct MainWindowFixture {
    FakeUiServices fakes;
    std::vector<FakeTermSdk*> sdks;
    std::unique_ptr<TfrmMain> window;

    MainWindowFixture()
    {
        window = std::make_unique<TfrmMain>(fakes.services(), [this] {
            auto sdk = std::make_unique<FakeTermSdk>();
            sdks.push_back(sdk.get());
            return sdk;
        });
        window->show();
        QCoreApplication::processEvents();
    }

    FakeTermSdk& sdk1() { return *sdks.at(0); }
    FakeTermSdk& sdk2() { return *sdks.at(1); }
    WorkingTable& devices() { return *window->Ado_DataSet_QVJ; }
    WorkingTable& persons() { return *window->ADO_DataSet_Pe; }
    WorkingTable& records() { return *window->Ado_DataSet_QV; }

    // Posts a terminal row directly: the defaults, then the given columns.
    void addDevice(const QList<QPair<QString, QVariant>>& values)
    {
        devices().append();
        for (const auto& [field, value] : values)
            devices().setFieldValue(field, value);
        devices().post();
    }

    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Enabled state of Mod, Del, Test, Get and NewData.
    QList<bool> ruledButtons() const
    {
        QList<bool> states;
        for (QPushButton* b : {window->BT_QVJ_Mod, window->BT_QVJ_Del, window->BT_QVJ_Test, window->BT_PE_Get,
                               window->BT_QV_NewData})
            states << b->isEnabled();
        return states;
    }
};
