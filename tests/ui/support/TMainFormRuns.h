#pragma once

#include "TTestWindowServices.h"

#include "client/core/TSettingsStore.h"
#include "client/ui/windows/TExternalLinkingWindow.h"
#include "client/ui/windows/TMainForm.h"
#include "shared/TIniFile.h"

#include "../../shared/support/WriteWholeFile.h"

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>
#include <utility>

// Runs of the program around its real main window, each test in a world of its own: a fresh
// working folder with the test's KVX.ini, a settings store and a data folder inside it, and
// the program's connection, exclude list and announcer. Begin() from init(), End() from cleanup().
class TMainFormRuns
{
public:
    // What one run of the program reads at its start, and its one external linking window.
    struct TRun
    {
        TIniFile Ini{QStringLiteral("KVX.ini")};
        TSettingsStore Store;
        TExternalLinkingWindow Linking{Store};
    };

    void Begin(const QByteArray &ini)
    {
        folder = std::make_unique<QTemporaryDir>();
        QVERIFY(folder->isValid());
        QVERIFY(QDir::setCurrent(folder->path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder->filePath(QStringLiteral("config")));
        // Recordings go below the data folder; keep them out of the user's.
        qputenv("XDG_DATA_HOME", folder->filePath(QStringLiteral("data")).toUtf8());
        QVERIFY(WriteWholeFile(QStringLiteral("KVX.ini"), ini));
        world.emplace();
    }

    void End()
    {
        // Alert windows outlive the main window in the program; here they go now.
        qDeleteAll(std::exchange(madeWindows, {}));
        run.reset();
        world.reset();
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
    }

    // A program start: KVX.ini from the test's folder, settings from its own store.
    std::unique_ptr<TMainForm> Start()
    {
        run = std::make_unique<TRun>();
        auto form =
            std::make_unique<TMainForm>(TMainFormServices{world->Services(), run->Ini, run->Store, run->Linking});
        madeWindows += form->AlertWindows();
        return form;
    }

    // A program end: the user closes the main window.
    void Stop(std::unique_ptr<TMainForm> &form)
    {
        QSignalSpy closed(form.get(), &TMainForm::Closed);
        QVERIFY(form->close());
        QCOMPARE(closed.count(), 1);
        form.reset();
        run.reset();
    }

    TTestWindowServices &World() { return *world; }
    // What the run started last reads.
    TRun &Run() { return *run; }
    QDir Folder() const { return QDir(folder->path()); }

private:
    std::unique_ptr<QTemporaryDir> folder;
    std::optional<TTestWindowServices> world;
    std::unique_ptr<TRun> run;
    TAlertForms madeWindows;
};
