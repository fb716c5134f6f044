#include "tests/support/db_fixture.h"

#include "db/store_builder.h"
#include "sql/sqlite/sqlite_engine.h"
#include "tests/support/record_text.h"

namespace qv::test {

using db::InventoryRecord;
using db::UpcRecord;

namespace {

// The generated stock's names: brand and its code, product and its department, size.
const QStringList kBrands =
    QStringLiteral("KIWI,SOUTHERN,HARBOUR,RED HILL,OCEAN,MOUNTAIN,RIVERSIDE,GOLDEN BAY")
        .split(u',');
const QStringList kBrandCodes = QStringLiteral("KW,ST,HB,RH,OC,MT,RS,GB").split(u',');
const QStringList kProducts =
    QStringLiteral(
        "LAGER:BEER,PALE ALE:BEER,STOUT:BEER,CIDER:BEER,SAUV BLANC:WINE,"
        "PINOT NOIR:WINE,CHARDONNAY:WINE,MERLOT:WINE,VODKA:SPIRITS,"
        "GIN:SPIRITS,WHISKY:SPIRITS,COLA:SOFT,LEMONADE:SOFT,GINGER BEER:SOFT")
        .split(u',');
const QStringList kSizes = QStringLiteral("330ML,500ML,750ML,1L,1.5L,6PK,12PK").split(u',');

}  // namespace

DbFixture::DbFixture(Sandbox& sb) : DbFixture(sb, Options()) {}

DbFixture::DbFixture(Sandbox& sb, Options opts)
    : sandbox(sb), options(std::move(opts)), ini(sb.fs, sb.boxes) {
    build();
}

InventoryRecord DbFixture::Item(int i) {
    const int brand = i % kBrands.size();
    const QString product = kProducts[(i / kBrands.size()) % kProducts.size()];
    const std::int64_t cents = 199 + (static_cast<std::int64_t>(i) * 37) % 5000;
    const QString price = Currency::fromScaled(cents * 100).toSqlText();
    const QString cost = Currency::fromScaled(cents * 60).toSqlText();
    return Inventory(
        QStringLiteral(
            "SL=%1 | ItemID=%2-%3 | Description=%4 %5 | SubDescription=%6 | VendorCode=V%7 | "
            "ReorderFlag=Y | MinQ=6 | MaxQ=48 | QTYINPACK=1 | TaxCode=A | Poll=Y | "
            "AllowDiscounts=Y | UOM=EA | Price=%8 | PriceIncTax=%8 | Cost=%9 | AvgCost=%9")
            .arg(QString::number(10000000 + i), kBrandCodes[brand],
                 QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')), kBrands[brand],
                 product.section(u':', 0, 0), kSizes[(i / 3) % kSizes.size()],
                 QString::number(100 + i % 40), price, cost) +
        QStringLiteral(" | QtyOnHand=%1 | DeptCode=%2 | LocFront=A%3 | LocBack=B%4 | RecordNum=%5")
            .arg(QString::number((i * 13) % 200), product.section(u':', 1))
            .arg(1 + i % 12)
            .arg(1 + i % 6)
            .arg(11 + i));
}

QString DbFixture::UpcCode(int index) {
    return WithCheckDigit(QStringLiteral("94") +
                          QStringLiteral("%1").arg(index, 9, 10, QLatin1Char('0')));
}

QString DbFixture::WithCheckDigit(const QString& digits) {
    int sum = 0;
    for (qsizetype k = 0; k < digits.size(); ++k) {
        sum += digits.at(digits.size() - 1 - k).digitValue() * (k % 2 == 0 ? 3 : 1);
    }
    return digits + QString::number((10 - sum % 10) % 10);
}

UpcRecord DbFixture::UpcFor(int index) {
    const InventoryRecord item = Item(index);
    return Upc(QStringLiteral("SL=%1 | UPC=%2 | LABEL=%3 | POLL=Y | InvUID=%4")
                   .arg(item.SL.str(), UpcCode(index), item.Description.rtrimmed())
                   .arg(item.RecordNum));
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
        if (options.create && !engine.createDatabase(options.database, e)) {
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
    db::CommonRecord c = Common(
        "ProgramVersion=9.1 | DupID=1 | Cname=Harbour Wines & Spirits | Ccity=Nelson | "
        "CPhone=03 548 0000 | MaxStations=4 | ExchangeRate=1 | TaxRate1=15 | TaxRate2=5 | "
        "CCountry=New Zealand | CountryID=64");
    c.StoreNumber = options.store;
    return c;
}

}  // namespace qv::test
