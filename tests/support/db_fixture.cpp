#include "tests/support/db_fixture.h"

#include "db/store_builder.h"
#include "sql/sqlite/sqlite_engine.h"

namespace qv::test {

using db::InventoryRecord;
using db::UpcRecord;

namespace {

const char16_t* const kBrands[] = {u"KIWI",  u"SOUTHERN", u"HARBOUR",   u"RED HILL",
                                   u"OCEAN", u"MOUNTAIN", u"RIVERSIDE", u"GOLDEN BAY"};
const char16_t* const kBrandCodes[] = {u"KW", u"ST", u"HB", u"RH", u"OC", u"MT", u"RS", u"GB"};
struct Product {
    const char16_t* name;
    const char16_t* dept;
};
const Product kProducts[] = {
    {u"LAGER", u"BEER"},      {u"PALE ALE", u"BEER"},    {u"STOUT", u"BEER"},
    {u"CIDER", u"BEER"},      {u"SAUV BLANC", u"WINE"},  {u"PINOT NOIR", u"WINE"},
    {u"CHARDONNAY", u"WINE"}, {u"MERLOT", u"WINE"},      {u"VODKA", u"SPIRITS"},
    {u"GIN", u"SPIRITS"},     {u"WHISKY", u"SPIRITS"},   {u"COLA", u"SOFT"},
    {u"LEMONADE", u"SOFT"},   {u"GINGER BEER", u"SOFT"},
};
const char16_t* const kSizes[] = {u"330ML", u"500ML", u"750ML", u"1L", u"1.5L", u"6PK", u"12PK"};

template <class T, std::size_t N>
constexpr int count(const T (&)[N]) {
    return static_cast<int>(N);
}

}  // namespace

DbFixture::DbFixture(Sandbox& sb) : DbFixture(sb, Options()) {}

DbFixture::DbFixture(Sandbox& sb, Options opts)
    : sandbox(sb), options(std::move(opts)), ini(sb.fs, sb.boxes) {
    build();
}

InventoryRecord DbFixture::Item(int i) {
    const int brand = i % count(kBrands);
    const int product = (i / count(kBrands)) % count(kProducts);
    const int size = (i / 3) % count(kSizes);
    const QString brandName = QString::fromUtf16(kBrands[brand]);
    const QString productName = QString::fromUtf16(kProducts[product].name);
    const QString sizeName = QString::fromUtf16(kSizes[size]);

    InventoryRecord r;
    r.SL = QString::number(10000000 + i);
    r.ItemID = QString::fromUtf16(kBrandCodes[brand]) + u'-' +
               QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
    r.Description = brandName + u' ' + productName;
    r.SubDescription = sizeName;
    r.ReorderFlag = QStringLiteral("Y");
    r.VendorCode = QStringLiteral("V%1").arg(100 + i % 40);
    const std::int64_t cents = 199 + (static_cast<std::int64_t>(i) * 37) % 5000;
    r.Price = Currency::fromScaled(cents * 100);
    r.Cost = Currency::fromScaled(cents * 60);
    r.QtyOnHand = static_cast<float>((i * 13) % 200);
    r.MinQ = 6;
    r.MaxQ = 48;
    r.QTYINPACK = 1;
    r.TaxCode = QStringLiteral("A");
    r.DeptCode = QString::fromUtf16(kProducts[product].dept);
    r.AvgCost = r.Cost;
    r.Poll = QStringLiteral("Y");
    r.AllowDiscounts = QStringLiteral("Y");
    r.PriceIncTax = r.Price;
    r.UOM = QStringLiteral("EA");
    r.LocFront = QStringLiteral("A%1").arg(1 + i % 12);
    r.LocBack = QStringLiteral("B%1").arg(1 + i % 6);
    r.RecordNum = 11 + i;
    return r;
}

QString DbFixture::UpcCode(int index) {
    QString digits =
        QStringLiteral("94") + QStringLiteral("%1").arg(index, 9, 10, QLatin1Char('0'));
    int sum = 0;
    for (int k = 0; k < digits.size(); ++k) {
        sum += digits.at(k).digitValue() * (k % 2 == 0 ? 3 : 1);
    }
    return digits + QString::number((10 - sum % 10) % 10);
}

UpcRecord DbFixture::UpcFor(int index) {
    const InventoryRecord item = Item(index);
    UpcRecord u;
    u.SL = item.SL.str();
    u.UPC = UpcCode(index);
    u.LABEL = item.Description.str();
    u.POLL = QStringLiteral("Y");
    u.InvUID = item.RecordNum;
    return u;
}

std::unique_ptr<db::RecordLayer> DbFixture::makeLayer(db::RecordLayer::EngineFactory factory) {
    return std::make_unique<db::RecordLayer>(sandbox.services, run, ini, dataFolder,
                                             std::move(factory));
}

void DbFixture::build() {
    sandbox.makeDir(dataFolder);
    sandbox.writeFile(dataFolder + QStringLiteral("\\VOR.INI"), "[DATABASE]\r\n");
    ini.File_Name(dataFolder + QStringLiteral("\\VOR.INI"));
    run.DataPath = dataFolder;
    sandbox.settings.saveSetting(QStringLiteral("VOR Settings"), QStringLiteral("DATABASE"),
                                 QStringLiteral("DBName"), options.database);
    {
        db::SqliteEngine engine(sandbox.native(dataFolder));
        db::DbError e;
        if (!engine.createDatabase(options.database, e)) {
            error = QStringLiteral("createDatabase: ") + e.description;
            return;
        }
    }
    if (!options.openLayer) {
        return;
    }
    layer = makeLayer();
    if (!options.commonRow) {
        if (!layer->InitDatabase()) {
            error = QStringLiteral("InitDatabase failed");
            return;
        }
        layer->PrepareCommonTable();
        return;
    }
    std::vector<db::StoreItem> items;
    items.reserve(static_cast<std::size_t>(options.items));
    for (int i = 0; i < options.items; ++i) {
        items.push_back({Item(i), UpcFor(i)});
    }
    error = db::FillStore(*layer, common(), items);
}

db::CommonRecord DbFixture::common() const {
    db::CommonRecord c;
    c.ProgramVersion = QStringLiteral("9.1");
    c.DupID = QStringLiteral("1");
    c.Cname = QStringLiteral("Harbour Wines & Spirits");
    c.Ccity = QStringLiteral("Nelson");
    c.CPhone = QStringLiteral("03 548 0000");
    c.MaxStations = 4;
    c.ExchangeRate = 1.0f;
    c.StoreNumber = options.store;
    c.TaxRate1 = 15.0f;
    c.TaxRate2 = 5.0f;
    c.CCountry = QStringLiteral("New Zealand");
    c.CountryID = 64;
    return c;
}

}  // namespace qv::test
