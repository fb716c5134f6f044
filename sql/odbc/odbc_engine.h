#pragma once

// The ODBC engine's public face: its settings, the connection string and the OdbcEngine class.

#include "sql/engine.h"

#include <QString>
#include <memory>
#include <optional>

namespace qv::db {

// Per-user settings (application "VOR Settings", section "DATABASE") that choose the ODBC
// driver and add keywords to the connection string when the store's server is reached
// through ODBC.
inline constexpr const char* kOdbcDriverKey = "ODBCDriver";
inline constexpr const char* kOdbcOptionsKey = "ODBCOptions";

// "FreeTDS" on Linux and other Unix systems, "SQL Server" on Windows.
QString DefaultOdbcDriver();

// A DSN-less connection string for SQL Server:
//   Driver={FreeTDS};Server=host;Port=1433;Database=db;UID=u;PWD=p;<options>
// A named instance ("host\INSTANCE") is resolved by the driver and gets no Port; "host,port"
// names the port. Port is written only for FreeTDS (other drivers read "host,port" from
// Server themselves) and only when the options do not set one. For FreeTDS off Windows,
// "ClientCharset=UTF-8" is added unless the options name a client charset, because this
// engine exchanges text with the driver as UTF-8. Values holding ';', '{', '}' or outer
// blanks are put in braces ('}' doubled). Database is left out when blank or when
// withDatabase is false (server-level work: status and the list of databases).
QString OdbcConnectionString(const ConnectParams& params, const QString& driver,
                             const QString& options, bool withDatabase = true);

// The table that update() and deleteCurrent() of a row set opened on this statement write
// to: the statement must be a single-table "SELECT [TOP n] <*, or plain column names> FROM
// table [alias] [WHERE ...] [ORDER BY ...]". Nothing for joins, unions, grouping, DISTINCT
// and computed or renamed columns: such row sets are read-only.
std::optional<QString> OdbcUpdatableTable(const QString& select);

// The kind of an error a driver reported, from its SQLSTATE, native number and message:
// SQL Server's message numbers (2601 and 2627 duplicate key, 1222 lock time-out, 1205
// deadlock, 3906 read-only database, 1101, 1105 and 9002 no space, 605, 823, 824 and 5172
// damaged files), or SQLite's result codes when the source is the SQLite driver ("[SQLite]").
ErrorKind OdbcErrorKind(const QString& sqlState, int native, const QString& source,
                        const QString& message);

struct OdbcSettings {
    QString driver;            // blank: DefaultOdbcDriver()
    QString options;           // extra keywords, e.g. "TDS_Version=7.4"
    QString connectionString;  // complete string; when set, it is used as given and the
                               // ConnectParams' server, database and credentials are not
};

class OdbcConnection;

// SQL Server (or any ODBC data source) through the ODBC C API. Statements are sent exactly as
// given. Row sets fetch every row when opened and hold no statement open, so one connection
// serves everything, as ADO's client cursor does; only forEachRow keeps its statement open, and
// only while it runs.
//
// Errors: number = the driver's native error (the server's message number); description =
// the message without the driver's "[vendor][component]" prefix, followed by its SQLSTATE in
// parentheses, several records joined with the server's own message first (so a missing
// table's text still begins with "Invalid object name"); source = that prefix, e.g.
// "[FreeTDS][SQL Server]", or "Quorvane ODBC" for errors this engine raises itself.
//
// update() and deleteCurrent() work as an optimistic client cursor: they address the row by
// every original column value (Null as "IS NULL"; long text, binary and date columns are left
// out of the comparison), with all values bound as parameters. Inside one transaction they
// count the rows that match first and change nothing unless exactly one does: no row means
// another workstation changed or removed it, several identical rows cannot be told apart.
// A successful update() keeps the written values as the row's new originals; a successful
// deleteCurrent() drops the row from the set, the next row becoming current. moveNext()
// discards writes that update() has not sent.
//
// databases(): "SELECT name FROM sys.databases" (master.dbo.sysdatabases on servers older
// than 2005). A data source without a server catalogue (the SQLite driver) lists the one
// database it has open: the name the driver reports, cut to the file's base name when that is
// a path ("/data/VOR.sqlite" lists as "VOR").
//
// serverStatus() and databases() use a connection of their own without a database, as a
// server-level client does; they leave the engine's connection alone.
class OdbcEngine final : public Engine {
public:
    explicit OdbcEngine(OdbcSettings settings = {});
    ~OdbcEngine() override;

    static std::unique_ptr<OdbcEngine> withConnectionString(const QString& connectionString);

    // The string connect() uses for these parameters.
    QString connectionString(const ConnectParams& params, bool withDatabase = true) const;

    bool connect(const ConnectParams& params, DbError& error) override;
    bool isOpen() const override;
    void close() override;

    std::optional<std::int64_t> execute(const QString& sql, DbError& error) override;
    std::unique_ptr<RowSet> openRowSet(const QString& select, DbError& error) override;
    // Fetches row by row (SQLFetch) and converts each as the row sets do.
    bool forEachRow(const QString& select, const std::function<bool(const RowView&)>& onRow,
                    DbError& error) override;

    int serverStatus(const ConnectParams& params) override;
    std::optional<QStringList> databases(const ConnectParams& params, DbError& error) override;
    std::optional<QStringList> tables(DbError& error) override;

    bool beginTransaction(DbError& error) override;
    bool commit(DbError& error) override;
    bool rollback(DbError& error) override;

private:
    bool endTransaction(bool commit, DbError& error);

    OdbcSettings settings_;
    std::shared_ptr<OdbcConnection> connection_;
};

}  // namespace qv::db
