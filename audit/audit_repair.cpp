#include "audit/link_audit.h"

#include "db/inventory_table.h"
#include "db/record_fields.h"
#include "db/record_layer.h"
#include "db/sql_text.h"
#include "db/upc_table.h"

namespace qv::audit {

namespace {

namespace inv = db::inventory;

// One row to change: its row set (read again just before), what it is called in messages,
// its recall values and the column writes.
struct PendingRow {
    std::unique_ptr<db::RowSet> row;
    QString what;
    QString table;
    std::optional<QString> recallValues;
    std::vector<std::pair<int, db::Value>> writes;
};

bool sameCode(QStringView a, QStringView b) {
    return db::RTrim(a).compare(db::RTrim(b), Qt::CaseInsensitive) == 0;
}

// Reads one row again; the row set must hold exactly that row. The first failure is kept.
std::unique_ptr<db::RowSet> readRow(db::Engine& engine, const QString& sql, const QString& what,
                                    QString& failure) {
    db::DbError error;
    std::unique_ptr<db::RowSet> rs = engine.openRowSet(sql, error);
    QString why;
    if (!rs) {
        why = QStringLiteral(" could not be read: ") + error.description;
    } else if (rs->recordCount() != 1) {
        why = rs->recordCount() < 1 ? QStringLiteral(" is no longer there")
                                    : QStringLiteral(" is not one row");
        rs.reset();
    }
    if (!why.isEmpty() && failure.isEmpty()) {
        failure = what + why;
    }
    return rs;
}

// A row that no longer holds what the audit read is not written: the repair stops.
PendingRow changedSinceRead(PendingRow p, QString& failure) {
    p.row.reset();
    if (failure.isEmpty()) {
        failure =
            p.what + QStringLiteral(" has changed since the audit read it; run the audit again");
    }
    return p;
}

// The row of a fix read again, with its recall values and writes. On failure (kept in failure
// unless one is there already) the row set is empty.
PendingRow inventoryRow(db::Engine& engine, const QString& table, const InventoryFix& fix,
                        QString& failure) {
    PendingRow p;
    p.what = QStringLiteral("item ") + ItemText(fix.item);
    p.table = table;
    p.row = readRow(engine,
                    QStringLiteral("SELECT * FROM ") + table +
                        QStringLiteral(" WHERE RecordNum = ") + QString::number(fix.item.recordNum),
                    p.what, failure);
    if (!p.row) {
        return p;
    }
    db::InventoryRecord rec;
    db::RowToFields(*p.row, rec.fields());
    const LinkFields& b = fix.before;
    if (!sameCode(rec.SL.str(), fix.item.sl) || !sameCode(rec.FlgQZV.str(), b.flgQZV) ||
        rec.QZV1 != b.qzv1 || rec.QZV2 != b.qzv2 || rec.AvgCost != b.avgCost ||
        rec.Cost != b.cost) {
        return changedSinceRead(std::move(p), failure);
    }
    p.recallValues = inv::RecordValues(rec);
    const LinkFields& a = fix.after;
    if (!sameCode(a.flgQZV, b.flgQZV)) {
        p.writes.emplace_back(inv::colFlgQZV, db::Value::text(a.flgQZV));
    }
    if (a.qzv1 != b.qzv1) {
        p.writes.emplace_back(inv::colQZV1, db::Value::integer(a.qzv1));
    }
    if (a.qzv2 != b.qzv2) {
        p.writes.emplace_back(inv::colQZV2, db::Value::integer(a.qzv2));
    }
    if (a.avgCost != b.avgCost) {
        p.writes.emplace_back(inv::colAvgCost, db::Value::decimal(a.avgCost));
    }
    if (a.cost != b.cost) {
        p.writes.emplace_back(inv::colCost, db::Value::decimal(a.cost));
    }
    return p;
}

PendingRow upcRow(db::Engine& engine, const QString& table, const UpcFix& fix, QString& failure) {
    PendingRow p;
    p.what = QStringLiteral("UPC ") + fix.upc.trimmed();
    p.table = table;
    // The code is unique in the table; compared as it was read, so that a data source that
    // keeps the blanks of CHAR columns finds it too.
    p.row = readRow(engine,
                    QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE UPC = '") +
                        db::QuoteRaw(fix.upc) + u'\'',
                    p.what, failure);
    if (!p.row) {
        return p;
    }
    db::UpcRecord rec;
    db::RowToFields(*p.row, rec.fields());
    if (!sameCode(rec.SL.str(), fix.slBefore) || rec.InvUID != fix.invUid) {
        return changedSinceRead(std::move(p), failure);
    }
    p.recallValues = db::upc::RecordValues(rec);
    p.writes.emplace_back(db::upc::colSL, db::Value::text(fix.slAfter));
    return p;
}

}  // namespace

RepairResult Repair(db::Engine& engine, const AuditReport& report, const RecallFile& recall) {
    RepairResult result;
    result.recallPath = recall.path;
    const auto fail = [&](const QString& why) {
        result.failure = why;
        return result;
    };

    // Every row again, as it is now, before anything is written.
    std::vector<PendingRow> rows;
    QString failure;
    for (const InventoryFix& fix : report.inventoryFixes) {
        rows.push_back(inventoryRow(engine, report.tables.inventory, fix, failure));
    }
    for (const UpcFix& fix : report.upcFixes) {
        rows.push_back(upcRow(engine, report.tables.upc, fix, failure));
    }
    if (!failure.isEmpty()) {
        return fail(failure);
    }
    if (rows.empty()) {
        result.done = true;
        return result;
    }

    // Every row as it is now goes to the recall file before anything is written.
    for (const PendingRow& p : rows) {
        if (!db::AppendRecallLines(recall.fs, recall.path, recall.userId, recall.exeName, p.table,
                                   p.recallValues)) {
            return fail(QStringLiteral("the recall file ") + recall.path +
                        QStringLiteral(" could not be written"));
        }
    }

    db::DbError error;
    if (!engine.beginTransaction(error)) {
        return fail(QStringLiteral("no transaction could be begun: ") + error.description);
    }
    for (PendingRow& p : rows) {
        for (const auto& [ordinal, value] : p.writes) {
            p.row->setValue(ordinal, value);
        }
        if (!p.row->update(error)) {
            db::DbError ignored;
            engine.rollback(ignored);
            return fail(p.what + QStringLiteral(" could not be written (") + error.description +
                        QStringLiteral("); every change was rolled back"));
        }
    }
    if (!engine.commit(error)) {
        db::DbError ignored;
        engine.rollback(ignored);
        return fail(QStringLiteral("the changes could not be committed (") + error.description +
                    QStringLiteral("); every change was rolled back"));
    }
    result.done = true;
    result.rowsChanged = static_cast<int>(rows.size());
    return result;
}

}  // namespace qv::audit
