#pragma once

#include "core/base/Family.h"
#include "core/params/TParameterDatabase.h"
#include "core/params/TTable.h"

#include "TestInstallation.h"

#include <QCoreApplication>

// One installation per fuzzing process: opening the database for every input would
// drown the readers' own work. Every input starts from empty set tables and no messages.
inline TestInstallation& FuzzInstallation() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static TestInstallation installation;
    return installation;
}

inline void ClearSets(TestInstallation& installation) {
    for (Family family : {Family::Tkx, Family::VfTkx}) {
        TTable& sets = installation.Database->SetTable(family);
        if (sets.GetState() == TTable::State::Insert || sets.GetState() == TTable::State::Edit) {
            sets.Cancel();
        }
        sets.First();
        while (!sets.IsEmpty()) {
            sets.Delete();
        }
    }
    installation.Ui.Messages.clear();
}
