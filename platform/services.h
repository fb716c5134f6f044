#pragma once

#include "platform/app_info.h"
#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/settings_store.h"

namespace qv {

// The platform services a piece of the program is handed; the program makes one set at
// start, tests make their own.
struct Services {
    MessageBoxes& boxes;
    SettingsStore& settings;
    FileSystem& fs;
    AppInfo app;

    // A box titled with the product name, as boxes without a title of their own are.
    BoxAnswer box(int style, const QString& text) {
        return boxes.show(style, app.productName, text);
    }
};

}  // namespace qv
