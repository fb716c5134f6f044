#include "startup/search_settings.h"

namespace qv {

bool ReadSearchSettings(clsINI_Services& ini, const QString& dataFolder, RunValues& values,
                        MessageBoxes& boxes) {
    const QString fileName = QStringLiteral("VOR.INI");
    ini.File_Name(dataFolder + u'\\' + fileName);
    if (!ini.FileOpen()) {
        boxes.show(
            box::Ok, QStringLiteral("Error"),
            QStringLiteral("Unable to open VOR Configuration Settings File, ") + fileName + u'.');
        return false;
    }

    const QString search = QStringLiteral("Primary Search Fields");
    const QString inventoryBy = ini.GetValue(search, QStringLiteral("Search for Inventory by:"));
    if (inventoryBy == u"Description") {
        values.InventorySearchBy = 0;
    } else if (inventoryBy == u"Stock Locater") {
        values.InventorySearchBy = 2;
    } else {
        values.InventorySearchBy = 3;
    }

    values.DepositDeptCode =
        ini.GetValue(QStringLiteral("INVENTORY"),
                     QStringLiteral("Department Code used for Deposits and Returns"));

    const QString nameBy = ini.GetValue(search, QStringLiteral("Search for Name by:"));
    if (nameBy == u"Business") {
        values.NameSearchBy = 3;
    } else if (nameBy == u"ARCode") {
        values.NameSearchBy = 2;
    } else {
        values.NameSearchBy = 0;
    }
    return true;
}

}  // namespace qv
