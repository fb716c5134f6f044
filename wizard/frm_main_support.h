#pragma once

// What the parts of the main form (frm_main.cpp, frm_main_items.cpp, frm_main_save.cpp)
// share, and nothing outside them.

#include "db/record_layer.h"

#include <QString>

namespace qv::frm_main_detail {

using db::kInventoryTable;
namespace op = db::op;

// Keys of the inventory table the form reads items by.
inline constexpr int kRecordNumKey = 0;
inline constexpr int kSlKey = 1;

// True for text that sorts after a blank: a value the user actually gave.
inline bool greaterThanBlank(const QString& s) {
    return s > QStringLiteral(" ");
}

}  // namespace qv::frm_main_detail
