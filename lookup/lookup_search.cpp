// The lookup engine's searches (see lookup_engine.h): the search text in the stored form of
// the sort column, positioning on it as it is typed or on the search button, on a UPC code,
// and the wildcard search that lists every item whose sort field contains the text.

#include "lookup/lookup_engine.h"

#include "db/record_layer.h"
#include "lookup/lookup_support.h"
#include "lookup/sl_code.h"
#include "sql/collation.h"

#include <algorithm>

namespace qv {

using namespace lookup_detail;

namespace {

// Rank of a character in the order the database sorts text by.
int sortWeight(QChar c) {
    if (c.isNull()) {
        return -1;
    }
    if (c.unicode() < 0x80) {
        return db::msciWeight(static_cast<unsigned char>(c.unicode()));
    }
    return 0x100 + c.unicode();
}

QChar firstChar(const QString& s) {
    return s.isEmpty() ? QChar() : s.at(0);
}

}  // namespace

QString LikeContainsText(const QString& typed) {
    QString out;
    out.reserve(typed.size() + 8);
    for (const QChar c : typed) {
        switch (c.unicode()) {
            case u'\'':
                out += QStringLiteral("''");
                break;
            case u'%':
                out += QStringLiteral("[%]");
                break;
            case u'_':
                out += QStringLiteral("[_]");
                break;
            case u'[':
                out += QStringLiteral("[[]");
                break;
            case 0:
                out += u' ';
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

void LookupEngine::SearchPosition(const QString& text) {
    if (busy_ || text == s_.searchText) {
        return;
    }
    s_.searchText = text;
    if (s_.wildcardOn || s_.sqlOrdering) {
        if (s_.sortFieldName == u"QtyOnHand" || s_.sortFieldName.startsWith(u"Price")) {
            s_.wildcardOn = true;
            if (wildcardTicked) {
                wildcardTicked();
            }
        }
        return;
    }
    positionOnTyped(text);
}

QString LookupEngine::positionOnTyped(const QString& text) {
    const QString converted = s_.upcMode ? QString() : searchValue(text);
    if (!grid_) {
        return converted;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    if (s_.upcMode) {
        positionOnUpc(text);
    } else {
        positionOn(converted);
    }
    return converted;
}

// Typed text in the stored form of the sort column: S/L and Item ID codes as they are kept,
// blank text as none.
QString LookupEngine::searchValue(const QString& text) const {
    QString converted = text;
    if (s_.sortKey == 1) {
        converted = SlFromDisplay(SlFromEntry(text));
    } else if (s_.sortKey == 2) {
        converted = ItemIdFromEntry(text);
    }
    if (converted.trimmed().isEmpty()) {
        converted.clear();
    }
    return converted;
}

void LookupEngine::positionOn(const QString& converted) {
    const QString value = converted.toUpper();
    const QString field = sortFieldExpression();
    const QString head = QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                         QStringLiteral(" WHERE ") + field;
    const QString tail = QStringLiteral(" AND ") + kListed;

    std::optional<Entry> e = readInventory(head + u'=' + literal(value) + tail + orderBy(false));
    if (!e) {
        e = readInventory(head + QStringLiteral("<=") + literal(value) + tail + orderBy(true));
        if (e) {
            // The nearest item before the text: when it starts with an earlier letter, the
            // first item after it is the better start, unless that starts with a later one.
            const int wanted = sortWeight(firstChar(value));
            if (sortWeight(firstChar(sortFieldText(e->item).toUpper())) < wanted) {
                std::optional<Entry> next = step(*e, true);
                if (next && sortWeight(firstChar(sortFieldText(next->item).toUpper())) <= wanted) {
                    e = std::move(next);
                }
            }
        } else {
            e = readInventory(head + QStringLiteral(">=") + literal(value) + tail + orderBy(false));
            if (!e) {
                e = first();
            }
            if (!e) {
                message(lookup_text::NoDataInFile);
                return;
            }
        }
    }
    showPositionedPage(*e);
}

// A page filled from a record the search has just found, with it on the first row.
void LookupEngine::showPositionedPage(const Entry& e) {
    grid_->setHighLight(false);
    s_.lastPagingCode = -1;
    if (static_cast<int>(s_.rowRecords.size()) != s_.rowsPerPage + 2 || s_.wildcardListShown) {
        sizePage();
    }
    fillPageFrom(e);
    s_.atTop = false;
    s_.firstPageShown = false;
    grid_->setHighLight(true);
    SelectRow(1);
    s_.currentRow = 1;
}

void LookupEngine::positionOnUpc(const QString& text) {
    const QString t = text.trimmed();
    const QString from = QStringLiteral("SELECT TOP 1 * FROM ") + upcTable();
    std::optional<Entry> e;
    if (t.isEmpty()) {
        e = readUpcEntry(from + QStringLiteral(" WHERE ltrim(upc) > ' ' order by UPC"));
    } else {
        e = readUpcEntry(from + QStringLiteral(" WHERE LEFT(upc,") + QString::number(t.size()) +
                         QStringLiteral(")=") + literal(t) + QStringLiteral(" order by UPC"));
        if (!e) {
            e = readUpcEntry(from + QStringLiteral(" WHERE UPC<=") + literal(t) +
                             QStringLiteral(" AND UPC>' ' ORDER BY UPC DESC"));
        }
        if (!e) {
            e = readUpcEntry(from + QStringLiteral(" WHERE ltrim(upc) > ' ' order by UPC"));
        }
    }
    if (!e) {
        message(lookup_text::NoUpcCodes);
        return;
    }
    showPositionedPage(*e);
}

QString LookupEngine::WildcardStatement(const QString& text) const {
    const QString order = s_.sortFieldName == u"Description"
                              ? QStringLiteral("Order BY Description,subdescription")
                              : QStringLiteral("Order BY ") + s_.sortFieldName;
    return QStringLiteral("SELECT * FROM ") + inventoryTable() + QStringLiteral(" WHERE ") +
           s_.sortFieldName + QStringLiteral(" like '%") + LikeContainsText(text) +
           QStringLiteral("%' And status <> 'D' ") + order;
}

void LookupEngine::WildcardSearch(const QString& text) {
    if (busy_ || !grid_) {
        return;
    }
    if (s_.sortFieldName.isEmpty()) {
        message(lookup_text::WildcardNotOnField);
        return;
    }
    if (s_.sortFieldName == u"UPC" || s_.sortFieldName == u"QtyOnHand" ||
        s_.sortFieldName.left(5) == u"Price") {
        message(lookup_text::WildcardNotOn + s_.sortFieldName);
        return;
    }
    BusyGuard guard(busy_);
    s_.stopRequested = false;
    db::RecordLayer& layer = ctx_.layer;
    QString sql = WildcardStatement(text);
    if (!layer.RecordOp(db::kInventoryTable, db::op::BySQL, 0, true, false, sql)) {
        message(lookup_text::NoMatches);
        return;
    }
    db::RowSet* rows = layer.CurrentRow(db::kInventoryTable);
    const int total = rows ? rows->recordCount() : 0;

    grid_->setHighLight(false);
    s_.lastPagingCode = -1;
    s_.pageRows = s_.rowsPerPage;
    s_.pageBuffer.assign(s_.gridColumns + 1, std::vector<QString>(std::max(total, 0) + 2));
    s_.rowRecords.assign(std::max<int>(total, s_.pageRows) + 2, std::nullopt);
    s_.rowUpc.assign(s_.rowRecords.size(), std::nullopt);
    grid_->setRows(std::max(total, static_cast<int>(s_.pageRows)) + 1);

    int row = 1;
    for (; rows && !rows->eof(); rows->moveNext()) {
        layer.RowToRecord(db::kInventoryTable);
        if (!isDeleted(layer.Inventory)) {
            writeEntry(row, Entry{layer.Inventory, std::nullopt});
            ++row;
        }
        if (betweenRows) {
            betweenRows();
        }
        if (s_.stopRequested) {
            break;
        }
        rows = layer.CurrentRow(db::kInventoryTable);
    }
    const int listed = row - 1;
    grid_->setRows(std::max(listed, static_cast<int>(s_.pageRows)) + 1);
    for (int r = listed + 1; r < grid_->Rows(); ++r) {
        clearRow(r);
    }
    s_.wildcardListShown = true;
    s_.listRows = listed;
    s_.firstPageShown = false;
    s_.atTop = true;
    s_.atEnd = false;
    grid_->setHighLight(true);
    SelectRow(1);
    s_.currentRow = 1;
    if (listed == 0) {
        message(lookup_text::NoMatches);
    }
}

void LookupEngine::RunSearch(const QString& text) {
    if (busy_) {
        return;
    }
    s_.searchText = text;
    s_.stopRequested = false;
    if (s_.wildcardOn || s_.sqlOrdering) {
        WildcardSearch(text);
        return;
    }
    const QString converted = positionOnTyped(text);
    if (s_.sortKey == 8 && !converted.isEmpty()) {
        // Searching on a department code that no item carries is worth saying.
        const QString value = db::RTrim(converted).toUpper();
        const auto dept = readInventory(QStringLiteral("SELECT TOP 1 * FROM ") + inventoryTable() +
                                        QStringLiteral(" WHERE DeptCode>=") + literal(value) +
                                        QStringLiteral(" AND ") + kListed + orderBy(false));
        if (!dept || !dept->item.DeptCode.str().toUpper().startsWith(value)) {
            message(lookup_text::NoDepartments);
        }
    }
}

}  // namespace qv
