#pragma once

#include "platform/services.h"

#include <QString>
#include <cstdint>

namespace qv {

// A small drinks and grocery store for trying the program out: the data folder "C:\KT" with
// "VOR.INI", "Country.set", "uom.vor" and "upper.alt", the embedded database "VOR" (Common row
// of store 1 and a few hundred items: cases, packs and singles of drinks, deposit items,
// groceries with and without UPCs, a few deleted items) and the per-user settings that point
// the program at them. Made once; later calls find it and change nothing.
struct DemoStore {
    QString dataFolder = QStringLiteral("C:\\KT");
    QString database = QStringLiteral("VOR");
    // The record number of the case item the demo opens the wizard on.
    std::int32_t caseRecordNum = 0;
};

// Makes the demo store when it is missing. Returns an empty text on success, else the reason.
QString EnsureDemoStore(Services& services, DemoStore& store);

}  // namespace qv
