#include "db/connection.h"
#include "sql/odbc/odbc_engine.h"
#include "sql/sqlite/sqlite_engine.h"

namespace qv::db {

std::unique_ptr<Engine> MakeEmbeddedEngine(const QString& nativeFolder) {
    return std::make_unique<SqliteEngine>(nativeFolder);
}

std::unique_ptr<Engine> MakeServerEngine(const QString& driver, const QString& options) {
    OdbcSettings settings;
    settings.driver = driver;
    settings.options = options;
    return std::make_unique<OdbcEngine>(settings);
}

}  // namespace qv::db
