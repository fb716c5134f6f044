#include "db/common_table.h"

#include "db/sql_text.h"

#include <QStringList>

namespace qv::db::common {

constexpr ColumnDef kColumns[kColumnCount] = {
    {u"ProgramVersion", u"CHAR (10)", ColumnKind::Text, 10},
    {u"DupID", u"CHAR (1)", ColumnKind::Text, 1},
    {u"Cname", u"CHAR (40)", ColumnKind::Text, 40},
    {u"WebAddress", u"CHAR (40)", ColumnKind::Text, 40},
    {u"Ccity", u"CHAR (25)", ColumnKind::Text, 25},
    {u"Cstate", u"CHAR (3)", ColumnKind::Text, 3},
    {u"Czip", u"CHAR (10)", ColumnKind::Text, 10},
    {u"CPhone", u"CHAR (14)", ColumnKind::Text, 14},
    {u"Cfax", u"CHAR (14)", ColumnKind::Text, 14},
    {u"MandatoryName", u"CHAR (1)", ColumnKind::Text, 1},
    {u"RequestedTicket", u"INTEGER", ColumnKind::Integer, 0},
    {u"MaxStations", u"SMALLINT", ColumnKind::Integer, 0},
    {u"USEurope", u"CHAR (1)", ColumnKind::Text, 1},
    {u"Cups", u"CHAR (11)", ColumnKind::Text, 11},
    {u"ShippingSL1", u"CHAR (9)", ColumnKind::Text, 9},
    {u"ShippingSL2", u"CHAR (9)", ColumnKind::Text, 9},
    {u"ShippingSL3", u"CHAR (9)", ColumnKind::Text, 9},
    {u"ExchangeRate", u"REAL", ColumnKind::Real, 0},
    {u"Back_Up", u"CHAR (1)", ColumnKind::Text, 1},
    {u"PackMode", u"CHAR (3)", ColumnKind::Text, 3},
    {u"Security", u"CHAR (1)", ColumnKind::Text, 1},
    {u"PONumber", u"INTEGER", ColumnKind::Integer, 0},
    {u"StoreNumber", u"SMALLINT", ColumnKind::Integer, 0},
    {u"Accounting", u"CHAR (2)", ColumnKind::Text, 2},
    {u"AutoPhoneFormat", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AutoProperNames", u"CHAR (1)", ColumnKind::Text, 1},
    {u"OrderOfLookup", u"CHAR (1)", ColumnKind::Text, 1},
    {u"DefaultARCode", u"CHAR (1)", ColumnKind::Text, 1},
    {u"D2", u"CHAR (9)", ColumnKind::Text, 9},
    {u"MultiStore", u"CHAR (1)", ColumnKind::Text, 1},
    {u"D5", u"CHAR (2)", ColumnKind::Text, 2},
    {u"TaxRate1", u"REAL", ColumnKind::Real, 0},
    {u"TaxRate2", u"REAL", ColumnKind::Real, 0},
    {u"TaxRate3", u"REAL", ColumnKind::Real, 0},
    {u"TaxRate4", u"REAL", ColumnKind::Real, 0},
    {u"TaxRate5", u"REAL", ColumnKind::Real, 0},
    {u"BreakPoint", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"TaxRateAbove", u"REAL", ColumnKind::Real, 0},
    {u"TaxRate2nd", u"REAL", ColumnKind::Real, 0},
    {u"TaxCity", u"CHAR (1)", ColumnKind::Text, 1},
    {u"TaxRound", u"CHAR (1)", ColumnKind::Text, 1},
    {u"TaxLineTot", u"CHAR (1)", ColumnKind::Text, 1},
    {u"NoTaxOnFirst", u"decimal", ColumnKind::Decimal, 0},
    {u"TaxAdjust", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"PrTagTax", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CreditService", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CreditUserID", u"CHAR (20)", ColumnKind::Text, 20},
    {u"CreditPwd", u"CHAR (20)", ColumnKind::Text, 20},
    {u"AccessAcount", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessInventory", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessConfig", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessOrder", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessVoid", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessReports", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessMargin", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessCost", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AccessQty", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CRLimmitActive", u"CHAR (1)", ColumnKind::Text, 1},
    {u"SlipPrint", u"CHAR (6)", ColumnKind::Text, 6},
    {u"UpperCaseItemID", u"CHAR (1)", ColumnKind::Text, 1},
    {u"UpperCaseSL", u"CHAR (1)", ColumnKind::Text, 1},
    {u"POExportType", u"CHAR (1)", ColumnKind::Text, 1},
    {u"NamePreFill", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CheckStatCode", u"CHAR (2)", ColumnKind::Text, 2},
    {u"CheckCompany", u"CHAR (3)", ColumnKind::Text, 3},
    {u"FullBack", u"CHAR (1)", ColumnKind::Text, 1},
    {u"StaFullBack", u"SMALLINT", ColumnKind::Integer, 0},
    {u"FullBackTime", u"SMALLINT", ColumnKind::Integer, 0},
    {u"TaxSearch2nd", u"CHAR (1)", ColumnKind::Text, 1},
    {u"TaxLabel2nd", u"CHAR (3)", ColumnKind::Text, 3},
    {u"MerchantID", u"CHAR (14)", ColumnKind::Text, 14},
    {u"PartnerID", u"CHAR (14)", ColumnKind::Text, 14},
    {u"ReprintMessage", u"CHAR (15)", ColumnKind::Text, 15},
    {u"NickelAdjust", u"CHAR (1)", ColumnKind::Text, 1},
    {u"TaxRate6", u"REAL", ColumnKind::Real, 0},
    {u"StartupFee", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"CancelFee", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"MinPercent", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"MinDollar", u"DECIMAL", ColumnKind::Decimal, 0},
    {u"PullLayaway", u"CHAR (1)", ColumnKind::Text, 1},
    {u"NewQty", u"CHAR (1)", ColumnKind::Text, 1},
    {u"TaxCodeRateAbove", u"CHAR (1)", ColumnKind::Text, 1},
    {u"BackTime", u"CHAR (1)", ColumnKind::Text, 1},
    {u"WeeklyNum", u"SMALLINT", ColumnKind::Integer, 0},
    {u"DailyNum", u"SMALLINT", ColumnKind::Integer, 0},
    {u"MinFreeSpace", u"SMALLINT", ColumnKind::Integer, 0},
    {u"POPrintPM", u"CHAR (1)", ColumnKind::Text, 1},
    {u"MinPriceWarn", u"CHAR (1)", ColumnKind::Text, 1},
    {u"PriceMethod", u"CHAR (1)", ColumnKind::Text, 1},
    {u"DMargin", u"REAL", ColumnKind::Real, 0},
    {u"ICV", u"CHAR (1)", ColumnKind::Text, 1},
    {u"WinPOFlag", u"CHAR (1)", ColumnKind::Text, 1},
    {u"AllowChangeDiscount", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CCountry", u"CHAR (20)", ColumnKind::Text, 20},
    {u"IncrementItems", u"CHAR (1)", ColumnKind::Text, 1},
    {u"CountryID", u"SMALLINT", ColumnKind::Integer, 0},
    {u"Email", u"CHAR (35)", ColumnKind::Text, 35},
    {u"Spare", u"CHAR (65)", ColumnKind::Text, 65},
};

static_assert(fieldsMatchColumns<decltype(std::declval<CommonRecord&>().fields())>(kColumns),
              "CommonRecord must list one field of the right type per column");

QString CreateStatement(const QString& table) {
    QString out =
        QStringLiteral("Create Table ") + table + QStringLiteral(" ") + QStringLiteral("(");
    for (int i = 0; i < kColumnCount; ++i) {
        out += QString::fromUtf16(kColumns[i].name) + u' ' +
               QString::fromUtf16(kColumns[i].definition);
        if (i + 1 < kColumnCount) {
            out += QStringLiteral(", ");
        }
    }
    return out + QStringLiteral(");");
}

QString IndexStatements(const QString& table) {
    return QStringLiteral("Create UNIQUE Index idx_0 On ") + table + QStringLiteral("(DupID);");
}

std::optional<QString> RecordValues(CommonRecord& rec) {
    if (!fieldProblem(rec.fields(), kColumns).isEmpty()) {
        return std::nullopt;
    }
    QStringList values;
    values.reserve(kColumnCount);
    forEachField(rec.fields(), [&](int ordinal, auto& field) {
        using F = std::remove_cvref_t<decltype(field)>;
        if constexpr (IsFixedText<F>::value) {
            // Names and addresses keep their apostrophes (doubled) while that still fits the
            // field; otherwise the apostrophes become blanks rather than losing a character.
            const QString doubled = SqlSafeText(field.str(), true, F::kWidth);
            field = doubled.size() <= F::kWidth ? doubled : SqlSafeText(field.str(), false, 0);
            values << LiteralBody(field.str());
        } else {
            values << *numberSqlText(field, kColumns[ordinal].kind);
        }
    });
    return u'\'' + values.join(QStringLiteral("','")) + QStringLiteral(" '");
}

CommonRates RatesFrom(const CommonRecord& rec) {
    CommonRates rates;
    rates.CountryNumber = rec.CountryID;
    rates.TaxRate = {rec.TaxRate1, rec.TaxRate2, rec.TaxRate3, rec.TaxRate4, rec.TaxRate5};
    return rates;
}

}  // namespace qv::db::common
