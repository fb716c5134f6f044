#include "startup/demo_store.h"

#include "db/store_builder.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"
#include "sql/sqlite/sqlite_engine.h"

#include <QDir>
#include <QFile>
#include <vector>

namespace qv {

namespace {

using db::InventoryRecord;
using db::StoreItem;
using db::UpcRecord;

const QString kApp = QStringLiteral("VOR Settings");
const QString kSection = QStringLiteral("DATABASE");

struct Drink {
    const char16_t* name;  // description stem
    const char16_t* vendor;
    const char16_t* size;  // per single
    int caseQty;           // singles in a case
    int caseCents;         // case cost
    int singleCents;       // single price
    const char16_t* dept;
};

// Cases are bought from the supplier; some already have their pack and single set up.
const Drink kDrinks[] = {
    {u"ALPINE SPRING WATER", u"ALPINE", u"500ML", 24, 1440, 150, u"WATER"},
    {u"COASTAL COLA", u"COASTAL", u"330ML CAN", 24, 1680, 199, u"SOFT"},
    {u"COASTAL COLA ZERO", u"COASTAL", u"330ML CAN", 24, 1680, 199, u"SOFT"},
    {u"SUNNY ORANGE SODA", u"SUNNYBEV", u"330ML CAN", 24, 1560, 189, u"SOFT"},
    {u"VALLEY GINGER ALE", u"VALLEY", u"355ML BTL", 24, 2160, 229, u"SOFT"},
    {u"BLUE RIDGE ICED TEA", u"BLUERIDGE", u"500ML BTL", 12, 1500, 279, u"SOFT"},
    {u"RIVER ROCK LAGER", u"RIVERROCK", u"330ML BTL", 24, 3600, 349, u"BEER"},
    {u"NORTHERN PALE ALE", u"NORTHERN", u"330ML CAN", 24, 4080, 399, u"BEER"},
    {u"HIGHLAND CIDER", u"HIGHLAND", u"500ML BTL", 12, 3000, 449, u"BEER"},
    {u"HARBOUR STOUT", u"HARBOUR", u"440ML CAN", 24, 4560, 429, u"BEER"},
    {u"SUMMIT ENERGY DRINK", u"SUMMIT", u"250ML CAN", 24, 3120, 299, u"SOFT"},
    {u"ORCHARD APPLE JUICE", u"ORCHARD", u"1L CARTON", 12, 2640, 389, u"JUICE"},
};

const char16_t* const kGroceryNames[] = {
    u"SEA SALT CHIPS",  u"BBQ CHIPS",      u"SOUR CREAM CHIPS",  u"SALTED PEANUTS",
    u"CASHEW NUTS",     u"MILK CHOCOLATE", u"DARK CHOCOLATE",    u"PEPPERMINT GUM",
    u"SPEARMINT GUM",   u"FRUIT JELLIES",  u"LICORICE TWISTS",   u"BEEF JERKY",
    u"CHEESE CRACKERS", u"OAT COOKIES",    u"CHOC CHIP COOKIES", u"INSTANT NOODLES",
    u"TOMATO SOUP",     u"BAKED BEANS",    u"TUNA IN OIL",       u"WHITE BREAD",
    u"WHOLEMEAL BREAD", u"BUTTER",         u"FULL CREAM MILK",   u"TRIM MILK",
    u"FREE RANGE EGGS", u"CHEDDAR CHEESE", u"GREEK YOGHURT",     u"ICE CUBES",
    u"PAPER TOWELS",    u"TOILET TISSUE",  u"DISH LIQUID",       u"LAUNDRY POWDER",
    u"AA BATTERIES",    u"AAA BATTERIES",  u"LIGHTER",           u"MATCHES",
    u"SUNSCREEN SPF50", u"LIP BALM",       u"PAIN RELIEF TABS",  u"PLASTERS",
};
const char16_t* const kGrocerySizes[] = {u"SMALL", u"MEDIUM", u"LARGE", u"FAMILY", u"VALUE"};

QString slFor(int n) {
    return QString::number(n).rightJustified(7, u' ') + u' ';
}

QString upcFor(int n) {
    QString digits = QStringLiteral("94") + QString::number(n).rightJustified(9, u'0');
    int sum = 0;
    for (int k = 0; k < digits.size(); ++k) {
        sum += digits.at(k).digitValue() * (k % 2 == 0 ? 3 : 1);
    }
    return digits + QString::number((10 - sum % 10) % 10);
}

class Catalogue {
public:
    std::vector<StoreItem> items;
    std::int32_t firstCase = 0;

    StoreItem& add(const QString& description, const QString& sub, const QString& itemId,
                   const QString& vendor, const QString& dept, int priceCents, int costCents,
                   std::int16_t qtyInPack, bool withUpc) {
        const int n = static_cast<int>(items.size());
        InventoryRecord r;
        r.RecordNum = 11 + n;
        r.SL = slFor(10001 + n);
        r.ItemID = itemId;
        r.Description = description;
        r.SubDescription = sub;
        r.VendorCode = vendor;
        r.DeptCode = dept;
        r.Price = Currency::fromScaled(std::int64_t(priceCents) * 100);
        r.PriceIncTax = r.Price;
        r.Cost = Currency::fromScaled(std::int64_t(costCents) * 100);
        r.AvgCost = r.Cost;
        r.QtyOnHand = static_cast<float>((n * 7) % 60);
        r.QTYINPACK = qtyInPack;
        r.MinQ = 2;
        r.MaxQ = 24;
        r.TaxCode = QStringLiteral("A");
        r.ReorderFlag = QStringLiteral("Y");
        r.HasSold = QStringLiteral("Y");
        r.Poll = QStringLiteral("Y");
        r.AllowDiscounts = QStringLiteral("Y");
        r.UOM = QStringLiteral("EA");
        r.LocFront = QStringLiteral("A%1").arg(1 + n % 9);
        r.LocBack = QStringLiteral("B%1").arg(1 + n % 4);
        StoreItem item{r, std::nullopt};
        if (withUpc) {
            UpcRecord u;
            u.SL = r.SL.str();
            u.UPC = upcFor(10001 + n);
            u.LABEL = r.Description.str();
            u.POLL = QStringLiteral("Y");
            u.InvUID = r.RecordNum;
            item.upc = u;
        }
        items.push_back(item);
        return items.back();
    }
};

Catalogue makeCatalogue() {
    Catalogue c;
    // Deposit items first: the wizard lists the deposit department's items.
    c.add(QStringLiteral("CAN DEPOSIT"), QStringLiteral("10C"), QStringLiteral("DEP-CAN"),
          QStringLiteral("STORE"), QStringLiteral("DEP"), 10, 0, 1, false);
    c.add(QStringLiteral("BOTTLE DEPOSIT"), QStringLiteral("20C"), QStringLiteral("DEP-BTL"),
          QStringLiteral("STORE"), QStringLiteral("DEP"), 20, 0, 1, false);
    c.add(QStringLiteral("CRATE DEPOSIT"), QStringLiteral("$3.00"), QStringLiteral("DEP-CRATE"),
          QStringLiteral("STORE"), QStringLiteral("DEP"), 300, 0, 1, false);

    int code = 0;
    for (const Drink& d : kDrinks) {
        const QString name = QString::fromUtf16(d.name);
        const QString vendor = QString::fromUtf16(d.vendor);
        const QString dept = QString::fromUtf16(d.dept);
        const QString size = QString::fromUtf16(d.size);
        const QString id = vendor.left(6) + QStringLiteral("-%1").arg(++code, 3, 10, QChar(u'0'));
        StoreItem& kase = c.add(name, QStringLiteral("%1X%2").arg(d.caseQty).arg(size).left(20),
                                id + QStringLiteral("C"), vendor, dept,
                                d.singleCents * d.caseQty * 9 / 10, d.caseCents, 0, true);
        kase.item.UOM = QStringLiteral("CS");
        if (c.firstCase == 0) {
            c.firstCase = kase.item.RecordNum;
        }
        // Every third drink is already sold by the single too, unlinked: a store that has
        // not run the wizard on it yet.
        if (code % 3 == 0) {
            c.add(name, size, id, vendor, dept, d.singleCents, d.caseCents / d.caseQty, 1, true);
        }
    }

    int n = 0;
    for (const char16_t* g : kGroceryNames) {
        for (const char16_t* s : kGrocerySizes) {
            ++n;
            const QString name = QString::fromUtf16(g);
            const int price = 149 + (n * 53) % 900;
            // Some shelf items have no bar code on record.
            StoreItem& item = c.add(name, QString::fromUtf16(s),
                                    QStringLiteral("GR-%1").arg(n, 4, 10, QChar(u'0')),
                                    QStringLiteral("FOODCO%1").arg(n % 4 + 1),
                                    n % 2 ? QStringLiteral("GROCERY") : QStringLiteral("HOUSEHOLD"),
                                    price, price * 6 / 10, 1, n % 7 != 0);
            if (n % 41 == 0) {
                item.item.Status = QStringLiteral("D");  // deleted, kept for history
            }
        }
    }
    return c;
}

const char kVorIni[] =
    "[MISCELLANEOUS]\r\n"
    "Datapath=C:\\KT\r\n"
    "\r\n"
    "[Primary Search Fields]\r\n"
    "Search for Inventory by:=Description\r\n"
    "Search for Name by:=Last Name\r\n"
    "\r\n"
    "[INVENTORY]\r\n"
    "Department Code used for Deposits and Returns=DEP\r\n"
    "\r\n"
    "[DATABASE]\r\n";

const char kCountrySet[] =
    "[CountryNumber]1[CountryName]United States\r\n"
    "[CountryNumber]64[CountryName]New Zealand\r\n"
    "[Country]1\r\n"
    "[Currency Symbol]$\r\n"
    "[Include Tax in Displayed Price]N\r\n"
    "[Label For Tax]TAX\r\n"
    "[Round]N\r\n"
    "[DrawerCount]Draw 01\r\n"
    "[Check]Check\r\n"
    "[Country]64\r\n"
    "[Currency Symbol]$\r\n"
    "[Include Tax in Displayed Price]Y\r\n"
    "[Label For Tax]GST\r\n"
    "[Round]Y\r\n"
    "[Round To]10\r\n";

const char kUom[] =
    "[CODE]1[LABEL]EA[DESC]Each\r\n"
    "[CODE]2[LABEL]PK[DESC]Pack\r\n"
    "[CODE]3[LABEL]CS[DESC]Case\r\n"
    "[CODE]4[LABEL]BTL[DESC]Bottle\r\n"
    "[CODE]5[LABEL]CAN[DESC]Can\r\n"
    "[CODE]6[LABEL]DOZ[DESC]Dozen\r\n";

}  // namespace

QString EnsureDemoStore(Services& svc, DemoStore& store) {
    const QString folder = store.dataFolder;
    const Catalogue catalogue = makeCatalogue();
    store.caseRecordNum = catalogue.firstCase;

    svc.settings.saveSetting(kApp, kSection, QStringLiteral("DATAPATH"), folder);
    svc.settings.saveSetting(kApp, kSection, QStringLiteral("STATIONPATH"), folder);
    svc.settings.saveSetting(kApp, kSection, QStringLiteral("STATION"), QStringLiteral("1"));
    svc.settings.saveSetting(kApp, kSection, QStringLiteral("NETWORK"), QStringLiteral("False"));
    svc.settings.saveSetting(kApp, kSection, QStringLiteral("DBName"), store.database);

    if (svc.fs.fileExists(folder + u'\\' + store.database + QStringLiteral(".sqlite"))) {
        return {};
    }
    QString error;
    if (!QDir().mkpath(svc.fs.nativePath(folder))) {
        return QStringLiteral("cannot create ") + folder;
    }
    const struct {
        const char* name;
        const char* text;
    } files[] = {{"VOR.INI", kVorIni},
                 {"Country.set", kCountrySet},
                 {"uom.vor", kUom},
                 {"upper.alt", "\r\n"}};
    for (const auto& f : files) {
        const QString path = folder + u'\\' + QString::fromLatin1(f.name);
        if (!svc.fs.fileExists(path) && !svc.fs.replaceFile(path, QByteArray(f.text), &error)) {
            return QStringLiteral("cannot write ") + path + QStringLiteral(": ") + error;
        }
    }

    db::DbError e;
    {
        db::SqliteEngine engine(svc.fs.nativePath(folder));
        if (!engine.createDatabase(store.database, e)) {
            return QStringLiteral("cannot create the database: ") + e.description;
        }
    }
    RunValues run;
    run.DataPath = folder;
    clsINI_Services ini(svc.fs, svc.boxes);
    ini.File_Name(folder + QStringLiteral("\\VOR.INI"));
    db::RecordLayer layer(svc, run, ini, folder);

    db::CommonRecord common;
    common.ProgramVersion = QStringLiteral("9.1");
    common.DupID = QStringLiteral("1");
    common.Cname = QStringLiteral("Corner Drinks & Grocery");
    common.Ccity = QStringLiteral("Springfield");
    common.Cstate = QStringLiteral("IL");
    common.CPhone = QStringLiteral("(217) 555-0142");
    common.MaxStations = 4;
    common.ExchangeRate = 1.0f;
    common.StoreNumber = 1;
    common.TaxRate1 = 6.25f;
    common.TaxRate2 = 1.0f;
    common.CCountry = QStringLiteral("United States");
    common.CountryID = 1;
    error = db::FillStore(layer, common, catalogue.items);
    if (!error.isEmpty()) {
        // A half-made demo would be found next time and never mended: take it away.
        QFile::remove(
            svc.fs.nativePath(folder + u'\\' + store.database + QStringLiteral(".sqlite")));
    }
    return error;
}

}  // namespace qv
