#pragma once

#include "db/common_table.h"
#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/upc_table.h"

#include <gtest/gtest.h>
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
inline QString RecordText(const db::CommonRecord& r) {
    return RecordText(r, db::common::kColumns);
}

// The other way round: the fields named in "Name=value | ..." set on a record, the others kept.
template <class Record, std::size_t N>
Record WithFields(Record record, const QString& text, const db::ColumnDef (&columns)[N]) {
    for (const QString& part : text.split(QStringLiteral(" | "), Qt::SkipEmptyParts)) {
        const QString name = part.section(u'=', 0, 0).trimmed();
        bool found = false;
        db::forEachField(record.fields(), [&](int ordinal, auto& field) {
            if (name == QString::fromUtf16(columns[ordinal].name)) {
                db::valueToField(field, db::Value::text(part.section(u'=', 1)));
                found = true;
            }
        });
        EXPECT_TRUE(found) << "no field " << name.toStdString();
    }
    return record;
}

inline db::InventoryRecord Inventory(const QString& text, db::InventoryRecord base = {}) {
    return WithFields(std::move(base), text, db::inventory::kColumns);
}
inline db::UpcRecord Upc(const QString& text, db::UpcRecord base = {}) {
    return WithFields(std::move(base), text, db::upc::kColumns);
}
inline db::CommonRecord Common(const QString& text) {
    return WithFields(db::CommonRecord(), text, db::common::kColumns);
}

}  // namespace qv::test
