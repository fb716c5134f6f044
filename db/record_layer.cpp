#include "db/record_layer.h"

#include "db/sql_text.h"

#include <algorithm>

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

namespace qv::db {

namespace {

enum class OpName {
    None,
    Open,
    Close,
    Insert,
    Update,
    Delete,
    Equal,
    Next,
    Previous,
    Greater,
    GreaterOrEqual,
    Less,
    LessOrEqual,
    First,
    Last,
    Transaction,
    BySQL,
};

OpName nameOf(std::int16_t code) {
    switch (code) {
        case op::Open:
            return OpName::Open;
        case op::Close:
            return OpName::Close;
        case op::Insert:
            return OpName::Insert;
        case op::Update:
            return OpName::Update;
        case op::Delete:
            return OpName::Delete;
        case op::GetEqual:
            return OpName::Equal;
        case op::GetNext:
        case op::GetNext2:
            return OpName::Next;
        case op::GetPrevious:
        case op::GetPrevious2:
            return OpName::Previous;
        case op::GetGreater:
            return OpName::Greater;
        case op::GetGreaterOrEqual:
            return OpName::GreaterOrEqual;
        case op::GetLess:
            return OpName::Less;
        case op::GetLessOrEqual:
            return OpName::LessOrEqual;
        case op::GetFirst:
        case op::GetFirst2:
            return OpName::First;
        case op::GetLast:
        case op::GetLast2:
            return OpName::Last;
        case op::BeginTransaction:
        case op::EndTransaction:
        case op::AbortTransaction:
            return OpName::Transaction;
        case op::BySQL:
            return OpName::BySQL;
        default:
            return OpName::None;
    }
}

// The comparison of the comparison operations.
QString comparison(OpName name) {
    switch (name) {
        case OpName::Equal:
            return QStringLiteral("=");
        case OpName::Greater:
            return QStringLiteral(">");
        case OpName::GreaterOrEqual:
            return QStringLiteral(">=");
        case OpName::Less:
            return QStringLiteral("<");
        case OpName::LessOrEqual:
            return QStringLiteral("<=");
        default:
            return {};
    }
}

bool isComparison(OpName n) {
    return !comparison(n).isEmpty();
}

// Item codes compare without their leading blanks: every ItemID outside the quoted values
// becomes ltrim(ItemID). Values are left alone, so a description that mentions "ItemID"
// is still searched for as typed.
QString ltrimItemIds(const QString& sql) {
    static const QString kName = QStringLiteral("ItemID");
    QString out;
    out.reserve(sql.size() + 16);
    bool inLiteral = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == u'\'') {
            inLiteral = !inLiteral;  // a doubled apostrophe flips twice
            out += c;
        } else if (!inLiteral && QStringView(sql).mid(i, kName.size()) == kName) {
            out += QStringLiteral("ltrim(ItemID)");
            i += kName.size() - 1;
        } else {
            out += c;
        }
    }
    return out;
}

// Text that reads as a date, the way the suite's dates are written.
bool readsAsDate(const Value& v) {
    if (v.kind() != Value::Kind::Text) {
        return false;
    }
    static const QRegularExpression kDate(
        QStringLiteral("^\\s*(\\d{1,2}/\\d{1,2}/(\\d{2}|\\d{4})|\\d{4}-\\d{1,2}-\\d{1,2})\\s*$"));
    return kDate.match(v.toText()).hasMatch();
}

DbError layerError(const QString& text) {
    DbError e;
    e.number = -1;
    e.description = text;
    e.source = QStringLiteral("Record layer");
    return e;
}

}  // namespace

// --- registry and rows -------------------------------------------------------------------

TableSlot* RecordLayer::Slot(int table) {
    return table >= 0 && table < static_cast<int>(registry_.size()) ? &registry_[table] : nullptr;
}

const TableSlot* RecordLayer::Slot(int table) const {
    return table >= 0 && table < static_cast<int>(registry_.size()) ? &registry_[table] : nullptr;
}

RowSet* RecordLayer::CurrentRow(int table) const {
    return Slot(table) ? currentRow_[table].get() : nullptr;
}

bool RecordLayer::hasRow(int table) const {
    const RowSet* rs = CurrentRow(table);
    return rs && rs->recordCount() > 0 && !rs->eof();
}

QString RecordLayer::columnName(int table, int ordinal) const {
    const auto pick = [&](const auto& columns) -> QString {
        if (ordinal >= 0 && ordinal < static_cast<int>(std::size(columns))) {
            return QString::fromUtf16(columns[ordinal].name);
        }
        return {};
    };
    switch (table) {
        case kCommonTable:
            return pick(common::kColumns);
        case kInventoryTable:
            return pick(inventory::kColumns);
        case kUpcTable:
            return pick(upc::kColumns);
        default:
            return FieldName(table, ordinal);
    }
}

QString RecordLayer::segmentLiteral(int segment) const {
    const Value& v = Keys.value[segment];
    const QString text = v.kind() == Value::Kind::Text ? LiteralBody(v.toText())
                         : v.isNull()                  ? QString()
                                                       : QString::number(v.toInteger());
    return u'\'' + text + u'\'';
}

Value RecordLayer::FieldValue(int table, int ordinal) const {
    const RowSet* rs = CurrentRow(table);
    if (!hasRow(table) || ordinal < 0 || ordinal >= rs->fieldCount()) {
        return {};
    }
    return rs->value(ordinal);
}

QString RecordLayer::FieldName(int table, int ordinal) const {
    const RowSet* rs = CurrentRow(table);
    if (!rs || ordinal < 0 || ordinal >= rs->fieldCount()) {
        return {};
    }
    return rs->fieldName(ordinal);
}

void RecordLayer::SetFieldValue(int table, int ordinal, const Value& value) {
    RowSet* rs = CurrentRow(table);
    if (!hasRow(table) || ordinal < 0 || ordinal >= rs->fieldCount()) {
        return;
    }
    if (value.isNull() || readsAsDate(value)) {
        rs->setValue(ordinal, value);
        return;
    }
    if (value.kind() == Value::Kind::Text && value.toText().trimmed().isEmpty()) {
        rs->setValue(ordinal, Value::text(QString()));
        return;
    }
    const Value current = rs->value(ordinal);
    if (current.isNull() || !(current == value)) {
        rs->setValue(ordinal, value);
    }
}

// --- hooks by table number ----------------------------------------------------------------

void RecordLayer::SetKey(int table, int key) {
    TableSlot* slot = Slot(table);
    if (!slot) {
        return;
    }
    int count = -1;
    switch (table) {
        case kInventoryTable:
            count = inventory::SetKey(Inventory, key, Keys);
            break;
        case kUpcTable:
            count = upc::SetKey(Upc, key, Keys);
            break;
        default:  // the Common table has no keys
            break;
    }
    if (count >= 0) {
        slot->segmentCount = static_cast<std::int16_t>(count);
    }
}

void RecordLayer::RowToRecord(int table) {
    if (!hasRow(table)) {
        return;
    }
    const RowSet& rs = *CurrentRow(table);
    switch (table) {
        case kCommonTable:
            RowToFields(rs, Common.fields());
            break;
        case kInventoryTable:
            RowToFields(rs, Inventory.fields());
            break;
        case kUpcTable:
            RowToFields(rs, Upc.fields());
            break;
        default:
            break;
    }
}

void RecordLayer::RecordToRow(int table) {
    const auto write = [&](auto fields, const auto& columns) {
        forEachField(fields, [&](int ordinal, const auto& field) {
            SetFieldValue(table, ordinal, fieldToValue(field, columns[ordinal].kind));
        });
    };
    switch (table) {
        case kCommonTable:
            write(Common.fields(), common::kColumns);
            break;
        case kInventoryTable:
            write(Inventory.fields(), inventory::kColumns);
            break;
        case kUpcTable:
            write(Upc.fields(), upc::kColumns);
            break;
        default:
            break;
    }
}

std::optional<QString> RecordLayer::RecordValues(int table) {
    switch (table) {
        case kCommonTable:
            return common::RecordValues(Common);
        case kInventoryTable:
            return inventory::RecordValues(Inventory);
        case kUpcTable:
            return upc::RecordValues(Upc);
        default:
            return std::nullopt;
    }
}

// --- RecordOp --------------------------------------------------------------------------------

bool RecordLayer::RecordOp(int table, std::int16_t op, std::int16_t key, bool direct) {
    QString sql;
    return RecordOp(table, op, key, direct, false, sql);
}

bool RecordLayer::RecordOp(int table, std::int16_t op, std::int16_t key, bool direct,
                           bool /*spare*/, QString& sql) {
    if (!Slot(table)) {
        return false;
    }
    const OpName name = nameOf(op);
    if ((isComparison(name) || name == OpName::First || name == OpName::Last) &&
        (!direct || KeyFromRecord)) {
        SetKey(table, key);
    }

    bool found = false;
    switch (name) {
        case OpName::None:
        case OpName::Open:
        case OpName::Close:
        case OpName::Transaction:
            return true;
        case OpName::Insert:
            return insert(table);
        case OpName::Update:
            return update(table, direct);
        case OpName::Delete:
            return remove(table);
        case OpName::BySQL:
            return readStatement(table, sql);
        case OpName::Next:
        case OpName::Previous:
            found = stepping(table, key, name == OpName::Next);
            break;
        case OpName::First:
        case OpName::Last:
            found = firstOrLast(table, key, name == OpName::Last);
            break;
        default:
            found = direct && !KeyFromRecord ? singleColumn(table, comparison(name), key, sql)
                                             : keyed(table, comparison(name), sql);
            break;
    }
    if (found && !direct) {
        RowToRecord(table);
    }
    return found;
}

bool RecordLayer::keyed(int table, const QString& cmp, QString& sql) {
    QString statement = sql;
    if (statement.isEmpty()) {
        const int count = std::clamp<int>(Slot(table)->segmentCount, 0, kMaxSegments);
        statement = QStringLiteral("SELECT TOP 1 * FROM ") + Slot(table)->tableName +
                    QStringLiteral(" WHERE ");
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                statement += QStringLiteral(" AND ");
            }
            statement += columnName(table, Keys.ordinal[i]) + cmp + segmentLiteral(i);
        }
        if (count > 0) {
            statement += QStringLiteral(" ORDER BY ") + columnName(table, Keys.ordinal[0]);
        }
        statement = ltrimItemIds(statement);
    }
    if (cmp == u"<" || cmp == u"<=") {
        statement += QStringLiteral(" DESC");
    }
    sql = statement;
    return readStatement(table, statement);
}

bool RecordLayer::singleColumn(int table, const QString& cmp, int ordinal, QString& sql) {
    const bool descending = cmp == u"<" || cmp == u"<=";
    if (!sql.isEmpty()) {
        // The caller's statement, as for the keyed form.
        if (descending) {
            sql += QStringLiteral(" DESC");
        }
        return readStatement(table, sql);
    }
    const RowSet* rs = CurrentRow(table);
    if (!hasRow(table) || ordinal < 0 || ordinal >= rs->fieldCount()) {
        lastError_ =
            layerError(QStringLiteral("No current row to read column %1 from.").arg(ordinal));
        return false;
    }
    const QString name = rs->fieldName(ordinal);
    const Value v = rs->value(ordinal);
    const QString value = v.kind() == Value::Kind::Text ? RTrim(v.toText()) : v.toText();
    QString statement = QStringLiteral("SELECT TOP 1 * FROM ") + Slot(table)->tableName +
                        QStringLiteral(" WHERE ") + name + cmp + u'\'' + QuoteRaw(value) + u'\'';
    if (descending) {
        statement += QStringLiteral(" ORDER BY ") + name + QStringLiteral(" DESC");
    }
    sql = statement;
    return readStatement(table, statement);
}

bool RecordLayer::stepping(int table, int key, bool next) {
    SetKey(table, key);
    const int count = std::clamp<int>(Slot(table)->segmentCount, 0, kMaxSegments);
    if (count < 1) {
        lastError_ = layerError(QStringLiteral("Key %1 has no segments to step on.").arg(key));
        return false;
    }
    const QString t = Slot(table)->tableName;
    const QString cmp = next ? QStringLiteral(">") : QStringLiteral("<");
    const auto col = [&](int i) { return columnName(table, Keys.ordinal[i]); };
    const auto val = [&](int i) { return segmentLiteral(i); };

    QString statement = QStringLiteral("SELECT  TOP 1 * FROM ") + t + QStringLiteral(" WHERE ");
    if (count == 1) {
        statement += col(0) + cmp + val(0);
    } else if (count == 2) {
        statement += QStringLiteral("(SELECT COUNT(*) FROM ") + t + QStringLiteral(" WHERE ") +
                     col(0) + QStringLiteral("=") + val(0) + QStringLiteral(") > 1 AND ") + col(0) +
                     QStringLiteral("=") + val(0) + QStringLiteral(" AND ") + col(1) + cmp +
                     val(1) + QStringLiteral(" OR ") + col(0) + cmp + val(0);
    } else {
        // Longer keys: the next row within equal leading segments, alternatives from the
        // last segment back to the first.
        QStringList alternatives;
        for (int k = count - 1; k >= 0; --k) {
            QStringList terms;
            for (int i = 0; i < k; ++i) {
                terms << col(i) + QStringLiteral("=") + val(i);
            }
            terms << col(k) + cmp + val(k);
            alternatives << terms.join(QStringLiteral(" AND "));
        }
        statement += alternatives.join(QStringLiteral(" OR "));
    }
    QStringList order;
    for (int i = 0; i < (count == 1 ? 1 : count); ++i) {
        order << (next ? col(i) : col(i) + QStringLiteral(" DESC"));
    }
    statement += QStringLiteral(" ORDER BY ") + order.join(u',');
    // The key value of an item code is already without its leading blanks: compare and order
    // the column the same way, or a code stored with leading blanks is skipped or met out of
    // order.
    statement = ltrimItemIds(statement);
    lastStatement_ = statement;
    return readStatement(table, statement);
}

bool RecordLayer::firstOrLast(int table, int key, bool last) {
    const QString t = Slot(table)->tableName;
    QString statement = QStringLiteral("SELECT TOP 1 * FROM ") + t;
    if (key == kPhysicalOrder) {
        if (last) {
            statement +=
                QStringLiteral(" ORDER BY ") + columnName(table, 0) + QStringLiteral(" DESC");
        }
    } else {
        const int count = std::clamp<int>(Slot(table)->segmentCount, 0, kMaxSegments);
        QStringList order;
        for (int i = 0; i < count; ++i) {
            const QString c = columnName(table, Keys.ordinal[i]);
            order << (last ? c + QStringLiteral(" DESC") : c);
        }
        if (!order.isEmpty()) {
            // In the order the keyed and stepping reads use, so that a walk from the first
            // row meets every row once.
            statement += ltrimItemIds(QStringLiteral(" ORDER BY ") + order.join(u','));
        }
    }
    lastStatement_ = statement;
    return readStatement(table, statement);
}

// --- reads and writes ----------------------------------------------------------------------

RecordLayer::Read RecordLayer::openRead(int table, const QString& sql) {
    lastStatement_ = sql;
    if (!engine_ || !engine_->isOpen()) {
        lastError_ = layerError(QStringLiteral("The database is not connected."));
        return Read::Failed;
    }
    std::unique_ptr<RowSet> rs;
    if (!retryWhileBusy(
            [&](DbError& error) { return (rs = engine_->openRowSet(sql, error)) != nullptr; })) {
        return Read::Failed;
    }
    if (rs->recordCount() < 1) {
        currentRow_[table].reset();
        resetToDefaultRow(table);
        return Read::Empty;
    }
    currentRow_[table] = std::move(rs);
    return Read::Found;
}

bool RecordLayer::readStatement(int table, const QString& sql) {
    return openRead(table, sql) == Read::Found;
}

void RecordLayer::resetToDefaultRow(int table) {
    if (!Slot(table)->tableName.trimmed().isEmpty()) {
        OpenTable(table);
    }
}

bool RecordLayer::insert(int table) {
    const std::optional<QString> values = RecordValues(table);
    if (!values) {
        QString problem;
        switch (table) {
            case kCommonTable:
                problem = fieldProblem(Common.fields(), common::kColumns);
                break;
            case kInventoryTable:
                problem = fieldProblem(Inventory.fields(), inventory::kColumns);
                break;
            default:
                problem = QStringLiteral("Table %1 has no record to insert.").arg(table);
                break;
        }
        lastError_ = layerError(problem);
        return false;
    }
    const QString sql = QStringLiteral("INSERT INTO ") + Slot(table)->tableName +
                        QStringLiteral(" VALUES(") + *values + QStringLiteral(")");
    lastStatement_ = sql;
    if (!engine_ || !engine_->isOpen()) {
        lastError_ = layerError(QStringLiteral("The database is not connected."));
        return false;
    }
    return retryWhileBusy([&](DbError& error) { return engine_->execute(sql, error).has_value(); });
}

bool RecordLayer::update(int table, bool direct) {
    if (!hasRow(table)) {
        lastError_ = layerError(QStringLiteral("There is no current row to update."));
        return false;
    }
    if (!direct) {
        QString problem;
        switch (table) {
            case kCommonTable:
                problem = fieldProblem(Common.fields(), common::kColumns);
                break;
            case kInventoryTable:
                problem = fieldProblem(Inventory.fields(), inventory::kColumns);
                break;
            default:
                break;
        }
        if (!problem.isEmpty()) {
            lastError_ = layerError(problem);
            return false;
        }
        // A refused write is dropped from the row, so every try writes the record again.
        return retryWhileBusy([&](DbError& error) {
            RecordToRow(table);
            return CurrentRow(table)->update(error);
        });
    }
    // The caller's own column writes cannot be made again once dropped: no second try.
    DbError error;
    if (!CurrentRow(table)->update(error)) {
        lastError_ = error;
        return false;
    }
    return true;
}

bool RecordLayer::remove(int table) {
    if (!hasRow(table)) {
        lastError_ = layerError(QStringLiteral("There is no current row to delete."));
        return false;
    }
    if (table == kInventoryTable) {
        writeRecallLines(table);
    }
    return retryWhileBusy([&](DbError& error) { return CurrentRow(table)->deleteCurrent(error); });
}

// --- a busy database, transactions ---------------------------------------------------------

bool RecordLayer::AskBusyRetry(const DbError& error) {
    if (busyDeclined_ || !busyPrompt_) {
        return false;
    }
    if (busyPrompt_(error)) {
        return true;
    }
    busyDeclined_ = true;
    declinedError_ = error;
    QTimer::singleShot(0, &busyContext_, [this] { busyDeclined_ = false; });
    return false;
}

bool RecordLayer::BeginTransaction() {
    if (!engine_ || !engine_->isOpen()) {
        lastError_ = layerError(QStringLiteral("The database is not connected."));
        return false;
    }
    inTransaction_ =
        retryWhileBusy([&](DbError& error) { return engine_->beginTransaction(error); });
    return inTransaction_;
}

bool RecordLayer::CommitTransaction() {
    DbError error;
    if (!inTransaction_ || !engine_ || !engine_->commit(error)) {
        lastError_ = inTransaction_ ? error : layerError(QStringLiteral("No transaction is open."));
        return false;
    }
    inTransaction_ = false;
    return true;
}

void RecordLayer::RollbackTransaction() {
    if (inTransaction_ && engine_) {
        DbError ignored;  // a transaction the engine already ended cannot be rolled back again
        engine_->rollback(ignored);
    }
    inTransaction_ = false;
}

void RecordLayer::writeRecallLines(int table) {
    AppendRecallLines(services_.fs, DataFile(QStringLiteral("DeleteRecall.txt")), run_.UserID,
                      services_.app.exeName, Slot(table)->tableName, RecordValues(table));
}

bool AppendRecallLines(FileSystem& fs, const QString& file, const QString& userId,
                       const QString& exeName, const QString& tableName,
                       const std::optional<QString>& values) {
    const QString header = QDate::currentDate().toString(QStringLiteral("MM/dd/yyyy")) + u' ' +
                           userId + QStringLiteral("  ") + exeName;
    const QString statement =
        values ? QStringLiteral("INSERT INTO ") + tableName + QStringLiteral(" VALUES(") + *values +
                     u')'
               : QStringLiteral("-- the row could not be written as a statement");
    return fs.appendLine(file, header) && fs.appendLine(file, statement);
}

}  // namespace qv::db
