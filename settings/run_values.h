#pragma once

#include <QString>
#include <cstdint>

namespace qv {

// The values the whole run shares: set by start-up from the command line and the suite's
// configuration file, by the data path check, and by the quantity dialogs. One instance per
// run (tests make their own); each piece of the program is handed the one it works with.
struct RunValues {
    // From the command line.
    QString SelectedItemID;  // "UID=" at start, then the S/L code the lookup returns
    QString UserID;          // "USERID="
    QString DataPath;        // "PATH=", then the data folder in use
    bool TrainingMode = false;

    // From the configuration file's search settings.
    std::int16_t InventorySearchBy = 0;  // 0 Description, 2 Stock Locater, 3 any other
    std::int16_t NameSearchBy = 0;       // 0 Last Name, 2 ARCode, 3 Business
    QString DepositDeptCode;

    // Set by the data path check when the data folder is the local safe folder.
    bool LocalSafeMode = false;

    // Set by the quantity dialogs; steer item creation.
    bool SellByCaseFlag = false;
    std::int16_t PacksInCase = 0;
    std::int16_t SinglesCount = 0;
};

}  // namespace qv
