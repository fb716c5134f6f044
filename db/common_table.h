#pragma once

#include "db/fixed_text.h"
#include "db/record_fields.h"
#include "settings/country_settings.h"
#include "sql/currency.h"
#include "sql/engine.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <tuple>

namespace qv::db {

// The one row of store-wide settings (table "COMMON"). Fields follow the columns in order;
// ordinals in the comments.
struct CommonRecord {
    FixedText<10> ProgramVersion;      // 0
    FixedText<1> DupID;                // 1
    FixedText<40> Cname;               // 2
    FixedText<40> WebAddress;          // 3
    FixedText<25> Ccity;               // 4
    FixedText<3> Cstate;               // 5
    FixedText<10> Czip;                // 6
    FixedText<14> CPhone;              // 7
    FixedText<14> Cfax;                // 8
    FixedText<1> MandatoryName;        // 9
    std::int32_t RequestedTicket = 0;  // 10
    std::int16_t MaxStations = 0;      // 11
    FixedText<1> USEurope;             // 12
    FixedText<11> Cups;                // 13
    FixedText<9> ShippingSL1;          // 14
    FixedText<9> ShippingSL2;          // 15
    FixedText<9> ShippingSL3;          // 16
    float ExchangeRate = 0;            // 17
    FixedText<1> Back_Up;              // 18
    FixedText<3> PackMode;             // 19
    FixedText<1> Security;             // 20
    std::int32_t PONumber = 0;         // 21
    std::int16_t StoreNumber = 0;      // 22
    FixedText<2> Accounting;           // 23
    FixedText<1> AutoPhoneFormat;      // 24
    FixedText<1> AutoProperNames;      // 25
    FixedText<1> OrderOfLookup;        // 26
    FixedText<1> DefaultARCode;        // 27
    FixedText<9> D2;                   // 28
    FixedText<1> MultiStore;           // 29
    FixedText<2> D5;                   // 30
    float TaxRate1 = 0;                // 31
    float TaxRate2 = 0;                // 32
    float TaxRate3 = 0;                // 33
    float TaxRate4 = 0;                // 34
    float TaxRate5 = 0;                // 35
    Currency BreakPoint;               // 36
    float TaxRateAbove = 0;            // 37
    float TaxRate2nd = 0;              // 38
    FixedText<1> TaxCity;              // 39
    FixedText<1> TaxRound;             // 40
    FixedText<1> TaxLineTot;           // 41
    Currency NoTaxOnFirst;             // 42
    Currency TaxAdjust;                // 43
    FixedText<1> PrTagTax;             // 44
    FixedText<1> CreditService;        // 45
    FixedText<20> CreditUserID;        // 46
    FixedText<20> CreditPwd;           // 47
    FixedText<1> AccessAcount;         // 48
    FixedText<1> AccessInventory;      // 49
    FixedText<1> AccessConfig;         // 50
    FixedText<1> AccessOrder;          // 51
    FixedText<1> AccessVoid;           // 52
    FixedText<1> AccessReports;        // 53
    FixedText<1> AccessMargin;         // 54
    FixedText<1> AccessCost;           // 55
    FixedText<1> AccessQty;            // 56
    FixedText<1> CRLimmitActive;       // 57
    FixedText<6> SlipPrint;            // 58
    FixedText<1> UpperCaseItemID;      // 59
    FixedText<1> UpperCaseSL;          // 60
    FixedText<1> POExportType;         // 61
    FixedText<1> NamePreFill;          // 62
    FixedText<2> CheckStatCode;        // 63
    FixedText<3> CheckCompany;         // 64
    FixedText<1> FullBack;             // 65
    std::int16_t StaFullBack = 0;      // 66
    std::int16_t FullBackTime = 0;     // 67
    FixedText<1> TaxSearch2nd;         // 68
    FixedText<3> TaxLabel2nd;          // 69
    FixedText<14> MerchantID;          // 70
    FixedText<14> PartnerID;           // 71
    FixedText<15> ReprintMessage;      // 72
    FixedText<1> NickelAdjust;         // 73
    float TaxRate6 = 0;                // 74
    Currency StartupFee;               // 75
    Currency CancelFee;                // 76
    Currency MinPercent;               // 77
    Currency MinDollar;                // 78
    FixedText<1> PullLayaway;          // 79
    FixedText<1> NewQty;               // 80
    FixedText<1> TaxCodeRateAbove;     // 81
    FixedText<1> BackTime;             // 82
    std::int16_t WeeklyNum = 0;        // 83
    std::int16_t DailyNum = 0;         // 84
    std::int16_t MinFreeSpace = 0;     // 85
    FixedText<1> POPrintPM;            // 86
    FixedText<1> MinPriceWarn;         // 87
    FixedText<1> PriceMethod;          // 88
    float DMargin = 0;                 // 89
    FixedText<1> ICV;                  // 90
    FixedText<1> WinPOFlag;            // 91
    FixedText<1> AllowChangeDiscount;  // 92
    FixedText<20> CCountry;            // 93
    FixedText<1> IncrementItems;       // 94
    std::int16_t CountryID = 0;        // 95
    FixedText<35> Email;               // 96
    FixedText<65> Spare;               // 97

    // The fields in column order, as references.
    template <class Self>
    static auto tieFields(Self& r) {
        return std::tie(
            r.ProgramVersion, r.DupID, r.Cname, r.WebAddress, r.Ccity, r.Cstate, r.Czip, r.CPhone,
            r.Cfax, r.MandatoryName, r.RequestedTicket, r.MaxStations, r.USEurope, r.Cups,
            r.ShippingSL1, r.ShippingSL2, r.ShippingSL3, r.ExchangeRate, r.Back_Up, r.PackMode,
            r.Security, r.PONumber, r.StoreNumber, r.Accounting, r.AutoPhoneFormat,
            r.AutoProperNames, r.OrderOfLookup, r.DefaultARCode, r.D2, r.MultiStore, r.D5,
            r.TaxRate1, r.TaxRate2, r.TaxRate3, r.TaxRate4, r.TaxRate5, r.BreakPoint,
            r.TaxRateAbove, r.TaxRate2nd, r.TaxCity, r.TaxRound, r.TaxLineTot, r.NoTaxOnFirst,
            r.TaxAdjust, r.PrTagTax, r.CreditService, r.CreditUserID, r.CreditPwd, r.AccessAcount,
            r.AccessInventory, r.AccessConfig, r.AccessOrder, r.AccessVoid, r.AccessReports,
            r.AccessMargin, r.AccessCost, r.AccessQty, r.CRLimmitActive, r.SlipPrint,
            r.UpperCaseItemID, r.UpperCaseSL, r.POExportType, r.NamePreFill, r.CheckStatCode,
            r.CheckCompany, r.FullBack, r.StaFullBack, r.FullBackTime, r.TaxSearch2nd,
            r.TaxLabel2nd, r.MerchantID, r.PartnerID, r.ReprintMessage, r.NickelAdjust, r.TaxRate6,
            r.StartupFee, r.CancelFee, r.MinPercent, r.MinDollar, r.PullLayaway, r.NewQty,
            r.TaxCodeRateAbove, r.BackTime, r.WeeklyNum, r.DailyNum, r.MinFreeSpace, r.POPrintPM,
            r.MinPriceWarn, r.PriceMethod, r.DMargin, r.ICV, r.WinPOFlag, r.AllowChangeDiscount,
            r.CCountry, r.IncrementItems, r.CountryID, r.Email, r.Spare);
    }

    auto fields() { return tieFields(*this); }
    auto fields() const { return tieFields(*this); }

    friend bool operator==(const CommonRecord&, const CommonRecord&) = default;
};

namespace common {

inline constexpr int kColumnCount = 98;
enum Column : int { colStoreNumber = 22, colCountryID = 95 };

extern const ColumnDef kColumns[kColumnCount];

inline QString TableName() {
    return QStringLiteral("COMMON");
}
QString CreateStatement(const QString& table);
QString IndexStatements(const QString& table);

// Sanitises the text fields in place and returns the VALUES list: every value between
// apostrophes, the last one with a blank before its closing apostrophe. Nothing when a number
// field holds a value its column cannot keep.
std::optional<QString> RecordValues(CommonRecord& rec);

// The country number and the five tax rates, as the country settings take them.
CommonRates RatesFrom(const CommonRecord& rec);

}  // namespace common

}  // namespace qv::db
