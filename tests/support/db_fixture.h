#pragma once

#include "db/inventory_table.h"
#include "db/record_layer.h"
#include "db/upc_table.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"
#include "tests/support/sandbox.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace qv::test {

// A store database in a sandbox, ready for the record layer: the data folder "C:\KT" with its
// "VOR.INI", the database "VOR" (per-user setting "DBName"), the Common row of store 1 and
// `items` generated inventory items, each with one UPC row. The data is the same on every run:
// item i (0-based) has record number 11 + i, S/L code 10000000 + i and so on (see Item).
//
// The layer is opened the way start-up opens it (OpenAllTables, OpenDataTables). Tests that
// want the start-up itself can build the database without a layer and make their own.
class DbFixture {
public:
    struct Options {
        int items = 0;
        QString database = QStringLiteral("VOR");
        std::int16_t store = 1;
        bool commonRow = true;  // false: the COMMON table is created but left empty
        bool openLayer = true;  // false: only the database file and the settings are made
        bool create = true;     // false: the database is there already (another program's)
    };

    explicit DbFixture(Sandbox& sandbox);
    DbFixture(Sandbox& sandbox, Options options);

    // True when everything was made; otherwise error says what failed.
    bool ok() const { return error.isEmpty(); }

    // A new record layer on the fixture's database, not yet started (as a new run of the
    // program would make it).
    std::unique_ptr<db::RecordLayer> makeLayer(db::RecordLayer::EngineFactory factory = {});

    // Item i of the generated stock, and its UPC row.
    static db::InventoryRecord Item(int index);
    static db::UpcRecord UpcFor(int index);
    // A valid 12-digit UPC-A code for the index.
    static QString UpcCode(int index);
    // The digits followed by their GS1 check digit (weights 3, 1, 3 ... from the right).
    static QString WithCheckDigit(const QString& digits);

    Sandbox& sandbox;
    Options options;
    QString dataFolder = QStringLiteral("C:\\KT");
    QString error;
    RunValues run;
    clsINI_Services ini;
    std::unique_ptr<db::RecordLayer> layer;

private:
    void build();
    db::CommonRecord common() const;
};

}  // namespace qv::test
