#pragma once

// The embedded engine's collation and the SQL function it registers on each connection
// (sqlite_collation.cpp); the comparison itself is the server's (sql/collation.h).

#include "sql/collation.h"

struct sqlite3;

namespace qv::db {

// Registers the collation and the engine's SQL function qv_store(value, declared type), which
// converts a value for storage in a column as writes of literal values are converted, raising
// the conversion's error; a connection needs both before it touches the tables. SQLITE_OK or
// the registration's error code.
int registerEngineExtensions(sqlite3* db);

}  // namespace qv::db
