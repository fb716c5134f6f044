#pragma once

#include "db/common_table.h"
#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/upc_table.h"

#include <QString>
#include <QStringList>

namespace qv::test {

// A record as text for golden files: "Name=value" for every field that is not blank or zero,
// texts without their trailing blanks, joined by " | ".
template <class Record, std::size_t N>
QString RecordText(const Record& record, const db::ColumnDef (&columns)[N]) {
    QStringList parts;
    db::forEachField(record.fields(), [&](int ordinal, const auto& field) {
        const db::Value v = db::fieldToValue(field, columns[ordinal].kind);
        QString text = v.toText();
        while (text.endsWith(u' ')) {
            text.chop(1);
        }
        if (!text.isEmpty() && text != u"0") {
            parts << QString::fromUtf16(columns[ordinal].name) + u'=' + text;
        }
    });
    return parts.join(QStringLiteral(" | "));
}

inline QString RecordText(const db::InventoryRecord& r) {
    return RecordText(r, db::inventory::kColumns);
}
inline QString RecordText(const db::UpcRecord& r) {
    return RecordText(r, db::upc::kColumns);
}

}  // namespace qv::test
