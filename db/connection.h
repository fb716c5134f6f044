#pragma once

#include "platform/services.h"
#include "sql/engine.h"

#include <QString>
#include <functional>
#include <memory>

namespace qv::db {

// The file of a database kept by the embedded engine: the database name + this suffix, in
// the engine's folder (the data folder).
inline constexpr const char* kDatabaseFileSuffix = ".sqlite";

// The file of a database on the desktop server: the database name + this suffix.
inline constexpr const char* kServerDatabaseFileSuffix = ".mdf";

// The embedded engine on the databases of a folder (native path).
std::unique_ptr<Engine> MakeEmbeddedEngine(const QString& nativeFolder);
// The ODBC engine for a server elsewhere, with the driver and the extra connection keywords
// of the per-user settings ("VOR Settings", "DATABASE", "ODBCDriver" and "ODBCOptions").
std::unique_ptr<Engine> MakeServerEngine(const QString& driver, const QString& options);

// The name of the database server that runs on this computer: computerName + "\RIDOREZEZ".
QString LocalServerName(const QString& computerName);

// The critical message shown when the configured database does not exist.
QString DatabaseNotFoundText();

// The question asked when the database stayed locked past the busy time-out.
QString StoreBusyText();
// The record layer's busy prompt for the program: a Retry/Cancel box with StoreBusyText;
// true for "Retry".
std::function<bool(const DbError&)> StoreBusyPrompt(Services& services);

}  // namespace qv::db
