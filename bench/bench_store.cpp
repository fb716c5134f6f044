#include "bench/bench_store.h"

#include "db/store_builder.h"
#include "sql/sqlite/sqlite_collation.h"
#include "sql/sqlite/sqlite_engine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

namespace qv::bench {

namespace {

const QString kDataFolder = QStringLiteral("C:\\KT");
const QString kDatabase = QStringLiteral("VOR");

struct Brand {
    const char16_t* name;
    const char16_t* code;
};
const Brand kBrands[] = {
    {u"KIWI", u"KW"},       {u"SOUTHERN", u"SO"},   {u"HARBOUR", u"HB"},
    {u"RED HILL", u"RH"},   {u"OCEAN", u"OC"},      {u"MOUNTAIN", u"MT"},
    {u"RIVERSIDE", u"RS"},  {u"GOLDEN BAY", u"GB"}, {u"STONY CRK", u"SC"},
    {u"TUI POINT", u"TP"},  {u"MAHANA", u"MH"},     {u"CAPE ROYAL", u"CR"},
    {u"OLD MILL", u"OM"},   {u"NORTHBANK", u"NB"},  {u"BLUE DUCK", u"BD"},
    {u"PACIFIC", u"PC"},    {u"WAIRAU", u"WR"},     {u"KAURI", u"KA"},
    {u"TASMAN", u"TS"},     {u"GREY RIVER", u"GR"}, {u"O'BRIEN'S", u"OB"},
    {u"ST ANDREWS", u"SA"}, {u"LAKE VIEW", u"LV"},  {u"BLACK SHEEP", u"BS"},
    {u"HIGHLAND", u"HL"},   {u"COPPER POT", u"CP"}, {u"SILVER FERN", u"SF"},
    {u"EAST COAST", u"EC"}, {u"LONG BEACH", u"LB"}, {u"TWIN PEAKS", u"TW"},
    {u"WILD OAK", u"WO"},   {u"FOUR WINDS", u"FW"},
};

enum Dept { Beer, WineWhite, WineRed, Sparkling, Spirits, Soft, Snacks, Sundry };
const char16_t* const kDeptCodes[] = {u"BEER",    u"WINE WHITE", u"WINE RED", u"SPARKLING",
                                      u"SPIRITS", u"SOFT DRINK", u"SNACKS",   u"SUNDRY"};
const std::vector<const char16_t*> kSizes[] = {
    {u"330ML", u"440ML", u"500ML", u"6PK", u"12PK", u"24PK"},
    {u"750ML", u"1.5L", u"375ML", u"3L CASK"},
    {u"750ML", u"1.5L", u"375ML", u"3L CASK"},
    {u"750ML", u"200ML"},
    {u"700ML", u"1L", u"1.75L", u"200ML"},
    {u"330ML", u"600ML", u"1.5L", u"2.25L"},
    {u"45G", u"150G", u"200G"},
    {u"EACH", u"2KG", u"5KG"},
};

struct Product {
    const char16_t* name;
    Dept dept;
};
const Product kProducts[] = {
    {u"LAGER", Beer},
    {u"PALE ALE", Beer},
    {u"IPA", Beer},
    {u"STOUT", Beer},
    {u"PILSNER", Beer},
    {u"CIDER", Beer},
    {u"SAUV BLANC", WineWhite},
    {u"CHARDONNAY", WineWhite},
    {u"PINOT GRIS", WineWhite},
    {u"RIESLING", WineWhite},
    {u"PINOT NOIR", WineRed},
    {u"MERLOT", WineRed},
    {u"SHIRAZ", WineRed},
    {u"CAB SAV", WineRed},
    {u"ROSE", WineRed},
    {u"BRUT", Sparkling},
    {u"PROSECCO", Sparkling},
    {u"VODKA", Spirits},
    {u"GIN", Spirits},
    {u"WHISKY", Spirits},
    {u"RUM", Spirits},
    {u"BOURBON", Spirits},
    {u"TEQUILA", Spirits},
    {u"BRANDY", Spirits},
    {u"COLA", Soft},
    {u"LEMONADE", Soft},
    {u"GINGER BEER", Soft},
    {u"TONIC", Soft},
    {u"SODA WATER", Soft},
    {u"CHIPS", Snacks},
    {u"PEANUTS", Snacks},
    {u"ICE", Sundry},
};

const char16_t* const kVendors[] = {
    u"LION",     u"DB BREW",   u"PERNOD",  u"TREASURY",   u"HANCOCKS",  u"COKE",
    u"FRUCOR",   u"PEPSICO",   u"ASAHI",   u"DIAGEO",     u"BACARDI",   u"BROWN FORMAN",
    u"CONSTELL", u"INDEVIN",   u"VILLA M", u"NEGOCIANT",  u"FINE WINE", u"EUROVIN",
    u"BLUEBIRD", u"ETA FOODS", u"ICE CO",  u"STH SPIRIT", u"CASKADE",   u"CRAFT DIST",
};

template <class T, std::size_t N>
constexpr int count(const T (&)[N]) {
    return static_cast<int>(N);
}

QString text(const char16_t* s) {
    return QString::fromUtf16(s);
}

// "KIWI PALE ALE" -> "Kiwi Pale Ale"
QString mixedCase(const QString& s) {
    QString out = s.toLower();
    bool start = true;
    for (QChar& c : out) {
        if (start && c.isLetter()) {
            c = c.toUpper();
        }
        start = c == u' ';
    }
    return out;
}

QString upcA(const QString& elevenDigits) {
    int sum = 0;
    for (int k = 0; k < elevenDigits.size(); ++k) {
        sum += elevenDigits.at(k).digitValue() * (k % 2 == 0 ? 3 : 1);
    }
    return elevenDigits + QString::number((10 - sum % 10) % 10);
}

QString numericSl(int number) {
    return QString::number(number).rightJustified(7, u' ') + u' ';
}

QString slFor(int index) {
    if (index % 500 == 499) {
        return (u'G' + QString::number(index, 36).toUpper()).leftJustified(8, u' ');
    }
    return numericSl(10001 + index);
}

QString baseItemId(int index, int brand) {
    if (index % 20 == 15) {
        // Numeric item codes of older stores sit right-aligned in the column.
        return QString::number(9300000000LL + index).rightJustified(25, u' ');
    }
    const QString code =
        text(kBrands[brand].code) + u'-' + QStringLiteral("%1").arg(index, 7, 10, QLatin1Char('0'));
    return index % 50 == 27 ? u' ' + code : code;
}

// The item whose description item `index` shares: items come in groups of ten where the first
// three share one and the next two another.
int groupLeader(int index) {
    const int r = index % 10;
    return r < 3 ? index - r : r < 5 ? index - (r - 3) : index;
}

struct Shape {
    int brand;
    int product;
    QString description;
};

Shape shapeOf(int leader) {
    const int combo = (leader * 613) % 1024;  // neighbours get different brands and products
    Shape s;
    s.brand = combo % 32;
    s.product = combo / 32;
    const int line = leader / 1024;
    QString d = text(kBrands[s.brand].name) + u' ' +
                (leader % 50000 == 7 ? QStringLiteral("QUINCE") : text(kProducts[s.product].name));
    if (line > 0) {
        d += u' ' + QString::number(line);
    }
    if (leader % 97 == 5) {
        d = mixedCase(d);
    }
    s.description = d;
    return s;
}

// Fields every generated item has, from its index, brand and product.
void fillCommonFields(db::InventoryRecord& r, int index, const Shape& shape) {
    const Dept dept = kProducts[shape.product].dept;
    const auto& sizes = kSizes[dept];
    r.Description = shape.description;
    r.SubDescription = text(sizes[static_cast<std::size_t>(index) % sizes.size()]);
    r.ReorderFlag = QStringLiteral("Y");
    r.HasSold = index % 9 == 4 ? QStringLiteral("N") : QStringLiteral("Y");
    const int vendor = (groupLeader(index) * 37 + (index - groupLeader(index))) % 300;
    const int branch = vendor / count(kVendors);
    r.VendorCode = text(kVendors[vendor % count(kVendors)]) +
                   (branch > 0 ? u' ' + QString::number(branch) : QString());
    const std::int64_t cents = 199 + (static_cast<std::int64_t>(index) * 37) % 5000;
    r.Price = Currency::fromScaled(cents * 100);
    r.Cost = Currency::fromScaled(cents * 60);
    r.AvgCost = Currency::fromScaled(cents * 60 + (index % 7) * 100);
    r.PriceIncTax = Currency::fromScaled((cents * 115 + 50) / 100 * 100);
    r.QtyOnHand = static_cast<float>((index * 13) % 200) + (index % 4 == 0 ? 0.5f : 0.0f);
    r.MinQ = 6;
    r.MaxQ = 48;
    r.QTYINPACK = 1;
    r.TaxCode = QStringLiteral("A");
    r.DeptCode = text(kDeptCodes[dept]);
    r.Poll = index % 7 == 3 ? QStringLiteral(" ") : QStringLiteral("Y");
    r.AllowDiscounts = QStringLiteral("Y");
    r.LastSold = QStringLiteral("2024%1%2")
                     .arg(1 + index % 12, 2, 10, QLatin1Char('0'))
                     .arg(1 + index % 28, 2, 10, QLatin1Char('0'));
    r.Status = index % 200 == 137 ? QStringLiteral("D") : QStringLiteral(" ");
    r.UOM = dept == Beer || dept == Soft ? QStringLiteral("CAN") : QStringLiteral("BTL");
    r.LocFront = QStringLiteral("A%1-%2").arg(1 + index % 20).arg(1 + (index / 20) % 30);
    r.LocBack = index % 5 == 2 ? QString() : QStringLiteral("B%1").arg(1 + index % 12);
    r.PriceFactor = index % 8 == 5 ? QStringLiteral("1.15") : QString();
    r.UnitsPerUOM = 1;
}

}  // namespace

// --- generated data ---------------------------------------------------------------------

db::InventoryRecord GeneratedItem(int index) {
    const Shape shape = shapeOf(groupLeader(index));
    db::InventoryRecord r;
    fillCommonFields(r, index, shape);
    r.SL = slFor(index);
    r.RecordNum = 11 + index;
    r.ItemID = baseItemId(index, shape.brand);
    // A case with its pack and single item: items 10, 11 and 12 of every fifty.
    switch (index % 50) {
        case 10:
            r.FlgQZV = QStringLiteral("R");
            r.QZV1 = 11 + index + 1;
            r.QZV2 = 11 + index + 2;
            r.SubDescription = QStringLiteral("CASE");
            break;
        case 11: {
            const QString root = baseItemId(index - 1, shapeOf(groupLeader(index - 1)).brand);
            r.FlgQZV = QStringLiteral("P");
            r.LinkBreakPack = slFor(index - 1);
            r.QTYINPACK = 4;
            r.ItemID = u'*' + root.trimmed();
            r.SubDescription = QStringLiteral("6PK");
            break;
        }
        case 12: {
            const QString root = baseItemId(index - 2, shapeOf(groupLeader(index - 2)).brand);
            r.FlgQZV = QStringLiteral("I");
            r.LinkBreakPack = slFor(index - 1);
            r.QTYINPACK = 6;
            r.ItemID = u'/' + root.trimmed();
            r.SubDescription = QStringLiteral("EACH");
            break;
        }
        default:
            break;
    }
    return r;
}

std::vector<db::UpcRecord> GeneratedUpcs(int index) {
    std::vector<db::UpcRecord> rows;
    if (index % 10 == 7) {
        return rows;
    }
    const db::InventoryRecord item = GeneratedItem(index);
    db::UpcRecord u;
    u.SL = item.SL.str();
    u.UPC = upcA(QStringLiteral("94") + QStringLiteral("%1").arg(index, 9, 10, QLatin1Char('0')));
    u.LABEL = item.Description.str();
    u.POLL = QStringLiteral("Y");
    u.InvUID = item.RecordNum;
    rows.push_back(u);
    if (index % 25 == 3) {
        u.UPC =
            upcA(QStringLiteral("95") + QStringLiteral("%1").arg(index, 9, 10, QLatin1Char('0')));
        u.POLL = index % 250 == 3 ? QStringLiteral("D") : QStringLiteral("Y");
        rows.push_back(u);
    }
    return rows;
}

db::InventoryRecord ExtraItem(int extra) {
    constexpr int kBeyond = 2000000;
    const Shape shape = shapeOf(groupLeader(extra));
    db::InventoryRecord r;
    fillCommonFields(r, extra, shape);
    r.SL = numericSl(10001 + kBeyond + extra);
    r.RecordNum = 11 + kBeyond + extra;
    r.ItemID = QStringLiteral("XT-%1").arg(extra, 7, 10, QLatin1Char('0'));
    r.Status = QStringLiteral(" ");
    return r;
}

db::UpcRecord ExtraUpc(int extra) {
    const db::InventoryRecord item = ExtraItem(extra);
    db::UpcRecord u;
    u.SL = item.SL.str();
    u.UPC = upcA(QStringLiteral("96") + QStringLiteral("%1").arg(extra, 9, 10, QLatin1Char('0')));
    u.LABEL = item.Description.str();
    u.POLL = QStringLiteral("Y");
    u.InvUID = item.RecordNum;
    return u;
}

QString BenchRoot() {
    const QString env = qEnvironmentVariable("QUORVANE_BENCH_DIR");
    return env.isEmpty() ? QStringLiteral("/tmp/quorvane-bench") : env;
}

QString StoreFolder(int items) {
    return BenchRoot() + u'/' + QString::number(items);
}

// --- doubles ------------------------------------------------------------------------------

namespace {
QString settingPath(const QString& app, const QString& section, const QString& key) {
    return (app + u'\x1f' + section + u'\x1f' + key).toUpper();
}
}  // namespace

QString MemorySettingsStore::getSetting(const QString& app, const QString& section,
                                        const QString& key, const QString& defaultValue) const {
    return values_.value(settingPath(app, section, key), defaultValue);
}

bool MemorySettingsStore::saveSetting(const QString& app, const QString& section,
                                      const QString& key, const QString& value) {
    values_.insert(settingPath(app, section, key), value);
    return true;
}

bool MemorySettingsStore::deleteSetting(const QString& app, const QString& section,
                                        const QString& key) {
    values_.remove(settingPath(app, section, key));
    return true;
}

BoxAnswer FailingBoxes::show(int style, const QString& title, const QString& text) {
    std::fprintf(stderr, "bench store: unexpected message box (style %d) \"%s\": %s\n", style,
                 qPrintable(title), qPrintable(text));
    std::abort();
}

namespace {

db::CommonRecord StoreCommon() {
    db::CommonRecord c;
    c.ProgramVersion = QStringLiteral("9.1");
    c.DupID = QStringLiteral("1");
    c.Cname = QStringLiteral("Harbour Wines & Spirits");
    c.Ccity = QStringLiteral("Nelson");
    c.CPhone = QStringLiteral("03 548 0000");
    c.MaxStations = 4;
    c.ExchangeRate = 1.0f;
    c.StoreNumber = 1;
    c.TaxRate1 = 15.0f;
    c.TaxRate2 = 5.0f;
    c.CCountry = QStringLiteral("New Zealand");
    c.CountryID = 64;
    return c;
}

}  // namespace

// --- the store ----------------------------------------------------------------------------

BenchStore::BenchStore(int items, MessageBoxes* boxes)
    : items_(items),
      folder_(StoreFolder(items)),
      fs_(PathResolver(folder_ + QStringLiteral("/drives"))),
      services_{boxes ? *boxes : failingBoxes_, settings_, fs_, appInfo(folder_)},
      ini_(fs_, services_.boxes) {
    if (items < 0) {
        throw std::runtime_error("a store holds no negative number of items");
    }
    QDir().mkpath(BenchRoot());
    {
        QLockFile lock(BenchRoot() + u'/' + QString::number(items) + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);  // a generation takes minutes; only a dead owner frees it
        if (!lock.lock()) {
            throw std::runtime_error("cannot lock the store's cache folder");
        }
        if (!readyFileCurrent()) {
            generate();
        }
    }
    prepareFolders();
    layer_ = makeLayer();
    if (!layer_->OpenAllTables() || !layer_->OpenDataTables()) {
        throw std::runtime_error("the store could not be opened: " +
                                 layer_->LastError().description.toStdString());
    }
}

BenchStore::~BenchStore() = default;

BenchStore& BenchStore::Shared(int items) {
    static std::map<int, std::unique_ptr<BenchStore>> stores;
    auto& s = stores[items];
    if (!s) {
        s = std::make_unique<BenchStore>(items);
    }
    return *s;
}

AppInfo BenchStore::appInfo(const QString& folder) {
    AppInfo a;
    a.exeName = QStringLiteral("quorvane");
    a.programFolder = folder + QStringLiteral("/program");
    a.computerName = QStringLiteral("BENCH");
    a.userName = QStringLiteral("bench");
    return a;
}

QString BenchStore::databaseFile() const {
    return fs_.nativePath(kDataFolder) + u'/' + kDatabase + QLatin1String(db::kDatabaseFileSuffix);
}

void BenchStore::prepareFolders() {
    QDir().mkpath(fs_.nativePath(kDataFolder));
    QDir().mkpath(services_.app.programFolder);
    const QString iniFile = kDataFolder + QStringLiteral("\\VOR.INI");
    if (!fs_.fileExists(iniFile)) {
        fs_.replaceFile(iniFile, "[DATABASE]\r\n");
    }
    settings_.saveSetting(QStringLiteral("VOR Settings"), QStringLiteral("DATABASE"),
                          QStringLiteral("DBName"), kDatabase);
    run_.DataPath = kDataFolder;
    ini_.File_Name(iniFile);
}

std::unique_ptr<db::RecordLayer> BenchStore::makeLayer() {
    return std::make_unique<db::RecordLayer>(services_, run_, ini_, kDataFolder);
}

bool BenchStore::readyFileCurrent() {
    QFile ready(folder_ + QStringLiteral("/ready"));
    if (!ready.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QStringList lines = QString::fromUtf8(ready.readAll()).split(u'\n');
    QMap<QString, QString> values;
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0) {
            values.insert(line.left(eq), line.mid(eq + 1).trimmed());
        }
    }
    if (values.value(QStringLiteral("version")) != QString::number(kGeneratorVersion) ||
        values.value(QStringLiteral("items")) != QString::number(items_) ||
        !QFile::exists(databaseFile())) {
        return false;
    }
    bool ok = false;
    const int upcs = values.value(QStringLiteral("upcs")).toInt(&ok);
    if (!ok) {
        return false;
    }
    upcRows_ = upcs;
    return true;
}

void BenchStore::writeReadyFile() {
    const QByteArray content = QStringLiteral("version=%1\nitems=%2\nupcs=%3\n")
                                   .arg(kGeneratorVersion)
                                   .arg(items_)
                                   .arg(upcRows_)
                                   .toUtf8();
    QFile ready(folder_ + QStringLiteral("/ready"));
    if (!ready.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        ready.write(content) != content.size() || !ready.flush()) {
        throw std::runtime_error("cannot write the store's ready file");
    }
}

// The tables are made by the record layer itself (as a new store's are: the Common row, then
// the Inventory and UPC tables with their indexes), and the rows go in through the record
// layer's own insert, in one transaction. The indexes stay in place during the load: built
// afterwards they would come out with every page full, so that each insert a benchmark makes
// would split pages, which a store that grew item by item rarely does.
void BenchStore::generate() {
    QElapsedTimer timer;
    timer.start();
    std::fprintf(stderr, "bench store: generating %d items into %s\n", items_, qPrintable(folder_));
    QDir(folder_).removeRecursively();
    prepareFolders();
    {
        db::SqliteEngine engine(fs_.nativePath(kDataFolder));
        db::DbError e;
        if (!engine.createDatabase(kDatabase, e)) {
            throw std::runtime_error("createDatabase: " + e.description.toStdString());
        }
    }
    {
        auto layer = makeLayer();
        const QString error = db::FillStore(*layer, StoreCommon(), {});
        if (!error.isEmpty()) {
            throw std::runtime_error("making the tables: " + error.toStdString());
        }
        db::DbError e;
        if (!layer->engine()->beginTransaction(e)) {
            throw std::runtime_error("begin: " + e.description.toStdString());
        }
        upcRows_ = 0;
        for (int i = 0; i < items_; ++i) {
            layer->Inventory = GeneratedItem(i);
            if (!layer->RecordOp(db::kInventoryTable, db::op::Insert, 0)) {
                throw std::runtime_error(QStringLiteral("item %1: %2")
                                             .arg(i)
                                             .arg(layer->LastError().description)
                                             .toStdString());
            }
            for (const db::UpcRecord& u : GeneratedUpcs(i)) {
                layer->Upc = u;
                if (!layer->RecordOp(db::kUpcTable, db::op::Insert, 0)) {
                    throw std::runtime_error(QStringLiteral("UPC of item %1: %2")
                                                 .arg(i)
                                                 .arg(layer->LastError().description)
                                                 .toStdString());
                }
                ++upcRows_;
            }
            if ((i + 1) % 100000 == 0) {
                std::fprintf(stderr, "bench store:   %d items in %.0f s\n", i + 1,
                             timer.elapsed() / 1000.0);
            }
        }
        if (!layer->engine()->commit(e)) {
            throw std::runtime_error("commit: " + e.description.toStdString());
        }
        const auto items = layer->InventoryRowCount();
        const auto upcs =
            layer->engine()->openRowSet(QStringLiteral("SELECT COUNT(*) FROM UPC1"), e);
        if (!items || *items != items_ || !upcs || upcs->value(0).toInteger() != upcRows_) {
            throw std::runtime_error("the tables do not hold the rows put in");
        }
    }
    writeReadyFile();
    generated_ = true;
    generationSeconds_ = timer.elapsed() / 1000.0;
    std::fprintf(stderr, "bench store: %d items and %d UPC rows generated in %.1f s\n", items_,
                 upcRows_, generationSeconds_);
}

}  // namespace qv::bench
