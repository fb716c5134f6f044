#pragma once

// What the three parts of the lookup engine share, and nothing outside it: the number of
// defined columns, the statement condition and literals its reads are written with, the tests
// for deleted items and withdrawn UPC codes, and the flag a fill holds while it runs.

#include "db/inventory_table.h"
#include "db/sql_text.h"

#include <QString>

namespace qv::lookup_detail {

inline constexpr int kDefinedColumns = 10;

// Items the lookup lists: not deleted.
inline const QString kListed = QStringLiteral("Status<>'D'");

// A text value as a statement literal, exactly as stored (trailing blanks do not count in a
// comparison).
inline QString literal(const QString& value) {
    return u'\'' + db::QuoteRaw(db::RTrim(value)) + u'\'';
}

inline bool isDeleted(const db::InventoryRecord& rec) {
    return rec.Status.str().startsWith(u'D');
}

inline bool upcWithdrawn(const QString& poll) {
    return poll.startsWith(u'D') || poll.startsWith(u'I');
}

class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace qv::lookup_detail
