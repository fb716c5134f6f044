#include "db/upc_table.h"

#include "db/sql_text.h"

namespace qv::db::upc {

constexpr ColumnDef kColumns[kColumnCount] = {
    {u"SL", u"CHAR (8) NOT NULL", ColumnKind::Text, 8},
    {u"UPC", u"CHAR (15) NOT NULL", ColumnKind::Text, 15},
    {u"LABEL", u"CHAR (30)", ColumnKind::Text, 30},
    {u"POLL", u"CHAR (1)", ColumnKind::Text, 1},
    {u"InvUID", u"INTEGER", ColumnKind::Integer, 0},
};

static_assert(fieldsMatchColumns<decltype(std::declval<UpcRecord&>().fields())>(kColumns),
              "UpcRecord must list one field of the right type per column");

QString TableName(const QString& storeNumberText) {
    return QStringLiteral("UPC") + storeNumberText;
}

QString CreateStatement(const QString& table) {
    return QStringLiteral("Create Table ") + table + QStringLiteral(" ") + QStringLiteral("(") +
           QStringLiteral("SL CHAR (8) NOT NULL, ") + QStringLiteral("UPC CHAR (15) NOT NULL, ") +
           QStringLiteral("LABEL CHAR (30), ") + QStringLiteral("POLL CHAR (1),") +
           QStringLiteral("InvUID INTEGER") + QStringLiteral(");");
}

QString IndexStatements(const QString& table) {
    return QStringLiteral("Create Index idx_0 On ") + table + QStringLiteral("(SL);") +
           QStringLiteral("Create UNIQUE  CLUSTERED Index idx_1 On ") + table +
           QStringLiteral("(UPC, SL);") + QStringLiteral("Create UNIQUE Index idx_2 On ") + table +
           QStringLiteral("(UPC);") + QStringLiteral("Create Index idx_3 On ") + table +
           QStringLiteral("(Poll);") + QStringLiteral("Create Index idx_4 On ") + table +
           QStringLiteral("(InvUID);");
}

int SetKey(const UpcRecord& rec, int key, KeySegments& k) {
    const auto text = [&](int seg, int ordinal, QStringView value) {
        k.ordinal[seg - 1] = static_cast<std::int16_t>(ordinal);
        k.value[seg - 1] = TextSegment(value, seg);
    };
    switch (key) {
        case 0:
            text(1, colSL, rec.SL.str());
            return 1;
        case 1:
            text(1, colSL, rec.SL.str());
            text(2, colUPC, rec.UPC.str());
            return 2;
        case 2:
            text(1, colUPC, rec.UPC.str());
            return 1;
        case 3:
            text(1, colPOLL, rec.POLL.str());
            return 1;
        case 4:
            k.ordinal[0] = colInvUID;
            k.value[0] = Value::integer(rec.InvUID);
            return 1;
        default:
            return -1;
    }
}

QString RecordValues(UpcRecord& rec) {
    rec.SL = SqlSafeText(rec.SL.str(), false, 0);
    rec.UPC = SqlSafeText(rec.UPC.str(), false, 0);
    rec.LABEL = SqlSafeText(rec.LABEL.str(), false, 0);
    rec.POLL = SqlSafeText(rec.POLL.str(), false, 0);
    return u'\'' + LiteralBody(rec.SL.str()) + QStringLiteral("','") + LiteralBody(rec.UPC.str()) +
           QStringLiteral("','") + LiteralBody(rec.LABEL.str()) + QStringLiteral("','") +
           LiteralBody(rec.POLL.str()) + QStringLiteral("',") + QString::number(rec.InvUID);
}

}  // namespace qv::db::upc
