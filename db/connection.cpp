// The server connection and the database start-up of the record layer: settings, the server
// and its database, opening and creating tables, and plain statements.

#include "db/connection.h"
#include "db/record_layer.h"
#include "db/server_clock.h"
#include "db/sql_text.h"
#include "settings/ini_services.h"
#include "sql/odbc/odbc_engine.h"

#include <QDateTime>

namespace qv::db {

namespace {

const QString kSettingsApp = QStringLiteral("VOR Settings");
const QString kSettingsSection = QStringLiteral("DATABASE");
const QString kLocalInstance = QStringLiteral("\\RIDOREZEZ");

// What the start-up trace shows in place of a password.
QString masked(const QString& password) {
    return password.isEmpty() ? QString() : QStringLiteral("********");
}

}  // namespace

QString DatabaseNotFoundText() {
    return QStringLiteral(
        "Database not found.\r\n"
        "If you are trying to connect to an existing database then run the Database "
        "Configuration.\r\n"
        "To create a new database or convert files from Pervasive run Tillora");
}

QString StoreBusyText() {
    return QStringLiteral(
        "The store database is busy: another program or station is holding it.\r\n"
        "Retry to try again, or Cancel to stop without changing anything.");
}

std::function<bool(const DbError&)> StoreBusyPrompt(Services& services) {
    return [&services](const DbError&) {
        return services.boxes.askRetry(box::RetryCancel + box::Exclamation,
                                       services.app.productName, StoreBusyText());
    };
}

QString LocalServerName(const QString& computerName) {
    return computerName + kLocalInstance;
}

RecordLayer::RecordLayer(Services& services, RunValues& run, clsINI_Services& ini,
                         QString dataFolder, EngineFactory engineFactory,
                         ServerEngineFactory serverEngineFactory)
    : services_(services),
      run_(run),
      ini_(ini),
      dataFolder_(std::move(dataFolder)),
      engineFactory_(std::move(engineFactory)),
      serverEngineFactory_(std::move(serverEngineFactory)) {
    if (!engineFactory_) {
        engineFactory_ = &MakeEmbeddedEngine;
    }
    if (!serverEngineFactory_) {
        serverEngineFactory_ = [this](const QString&) {
            const SettingsStore& s = services_.settings;
            return MakeServerEngine(
                s.getSetting(kSettingsApp, kSettingsSection, QString::fromLatin1(kOdbcDriverKey)),
                s.getSetting(kSettingsApp, kSettingsSection, QString::fromLatin1(kOdbcOptionsKey)));
        };
    }
}

RecordLayer::~RecordLayer() {
    for (auto& row : currentRow_) {
        row.reset();
    }
    if (engine_) {
        engine_->close();
    }
}

QString RecordLayer::DataFile(const QString& name) const {
    QString folder = dataFolder_;
    while (folder.endsWith(u'\\') || folder.endsWith(u'/')) {
        folder.chop(1);
    }
    return folder + u'\\' + name;
}

void RecordLayer::trace(const QString& line) {
    services_.fs.appendLine(services_.app.programFolder + QStringLiteral("/52.txt"), line);
}

void RecordLayer::logFailedStatement(const QString& statement, const DbError& error) {
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + u' ' +
        run_.UserID + u' ' + statement + QStringLiteral(" [EXE FAIL]") +
        QStringLiteral(" Description: ") + error.description + QStringLiteral(" Source: ") +
        error.source;
    services_.fs.appendLine(DataFile(QStringLiteral("PVSW.log")), line);
}

void RecordLayer::resetRegistry() {
    for (int i = 0; i < static_cast<int>(registry_.size()); ++i) {
        registry_[i] = TableSlot();
        currentRow_[i].reset();
    }
}

bool RecordLayer::Connected() const {
    return engine_ && engine_->isOpen();
}

bool RecordLayer::makeEngine(bool embedded) {
    const QString target = embedded ? services_.fs.nativePath(dataFolder_) : serverName_;
    const QString key = (embedded ? QStringLiteral("embedded:") : QStringLiteral("server:")) +
                        (embedded ? target : target.toUpper());
    if (engine_ && engineKey_ == key) {
        return true;
    }
    for (auto& row : currentRow_) {
        row.reset();
    }
    engine_.reset();
    engine_ = embedded ? engineFactory_(target) : serverEngineFactory_(target);
    engineKey_ = key;
    embedded_ = embedded;
    connected_ = false;
    return engine_ != nullptr;
}

// --- InitDatabase ------------------------------------------------------------------------

bool RecordLayer::InitDatabase() {
    resetRegistry();

    SettingsStore& settings = services_.settings;
    QString database = settings.getSetting(
        kSettingsApp, kSettingsSection,
        run_.TrainingMode ? QStringLiteral("TrainingDB") : QStringLiteral("DBName"));
    if (run_.LocalSafeMode) {
        database = QStringLiteral("VORRemote");
    }
    QString server = settings.getSetting(kSettingsApp, kSettingsSection, QStringLiteral("Server"));
    password_ =
        settings.getSetting(kSettingsApp, kSettingsSection, QStringLiteral("Password")).trimmed();
    userName_ = settings.getSetting(kSettingsApp, kSettingsSection, QStringLiteral("UserName"),
                                    QStringLiteral("sa"));
    trace(database);
    trace(server);

    const QString local = LocalServerName(services_.app.computerName);
    if (server.trimmed().isEmpty() || run_.LocalSafeMode) {
        server = local;
        ini_.WriteData(QStringLiteral("DATABASE"), QStringLiteral("SERVERNAME"), server);
    }
    serverName_ = server;
    trace(QStringLiteral("Servername = ") + server);

    // This computer's server keeps its databases in the data folder and is served by the
    // embedded engine; any other server is reached over the network through ODBC.
    const bool embedded = server.trimmed().compare(local, Qt::CaseInsensitive) == 0;
    trace(QStringLiteral("set Server "));
    if (!makeEngine(embedded)) {
        services_.boxes.show(box::Critical, QStringLiteral("VOR MSDE"),
                             QStringLiteral("No database client is available for the server "
                                            "\"%1\".")
                                 .arg(server));
        return false;
    }
    trace(QStringLiteral("Server set "));

    trace(QStringLiteral("Connect now ") + server + u' ' + userName_ + u' ' + masked(password_));
    ConnectParams params;
    params.server = server;
    params.database = database;
    params.user = userName_;
    params.password = password_;
    const int status = engine_->serverStatus(params);
    trace(QStringLiteral("Server Status = ") + QString::number(status));
    VerifyServerTime(server, status);

    // Find the database.
    QString name = database;
    bool fileFound = true;
    const QString suffix =
        QString::fromLatin1(embedded ? kDatabaseFileSuffix : kServerDatabaseFileSuffix);
    if (run_.LocalSafeMode) {
        name = QStringLiteral("VORRemote");
        fileFound = services_.fs.fileExists(QStringLiteral("c:\\vorsafe\\") + name + suffix);
    } else if (run_.TrainingMode) {
        name = QStringLiteral("Training");
        fileFound = services_.fs.fileExists(DataFile(name + suffix));
    }
    databaseName_ = name;

    bool found = false;
    if (fileFound && !name.trimmed().isEmpty()) {
        DbError error;
        const std::optional<QStringList> databases = engine_->databases(params, error);
        if (!databases) {
            lastError_ = error;
            services_.boxes.show(box::Critical, QStringLiteral("VOR MSDE"), error.description);
        } else {
            for (const QString& d : *databases) {
                if (d.trimmed().compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
                    found = true;
                    break;
                }
            }
        }
    }
    if (!found) {
        trace(QStringLiteral("Database Create"));
        services_.box(box::Critical, DatabaseNotFoundText());
        return false;
    }
    return true;
}

void RecordLayer::VerifyServerTime(const QString& serverName, int status) {
    if (status != 1) {
        return;
    }
    const qsizetype slash = serverName.indexOf(u'\\');
    if (slash < 0) {
        services_.boxes.show(box::Critical, QStringLiteral("VOR MSDE"),
                             QStringLiteral("The server name \"%1\" names no machine, so the "
                                            "clock was not set from the server.")
                                 .arg(serverName));
        return;
    }
    const QString machine = serverName.left(slash);
    trace(QStringLiteral("Server Name = ") + machine);
    if (machine.compare(services_.app.computerName, Qt::CaseInsensitive) != 0) {
        SetClockFromServer(machine, [this](const QString& line) { trace(line); });
    }
    trace(QStringLiteral("Time verified"));
}

// --- connection and tables -----------------------------------------------------------------

bool RecordLayer::Connect(const QString& databaseName) {
    if (!engine_) {
        connected_ = false;
        return false;
    }
    ConnectParams params;
    params.server = serverName_;
    params.database = databaseName.isEmpty() ? databaseName_ : databaseName;
    params.user = userName_;
    params.password = password_;
    params.timeoutSeconds = 25;
    connectError_.clear();
    if (!retryWhileBusy([&](DbError& error) { return engine_->connect(params, error); })) {
        connectError_ = lastError_;
    }
    connected_ = engine_->isOpen();
    return connected_;
}

bool RecordLayer::ensureConnected() {
    connected_ = Connected();
    if (!connected_) {
        Connect();
    }
    if (!connected_) {
        QString text = QStringLiteral("Failed to connect to database. ");
        if (connectError_.isSet()) {
            text += QStringLiteral("\r\n") + connectError_.description;
        }
        services_.boxes.show(box::Critical, QStringLiteral("Database Connection Error"), text);
        return false;
    }
    return true;
}

bool RecordLayer::OpenTable(int table) {
    return openTable(table, true);
}

bool RecordLayer::openTable(int table, bool report) {
    TableSlot* slot = Slot(table);
    if (!slot) {
        return false;
    }
    slot->opened = false;
    if (!ensureConnected()) {
        return false;
    }
    if (slot->tableName.trimmed().isEmpty()) {
        return false;
    }
    const QString source = QStringLiteral("SELECT TOP 1 * FROM ") + slot->tableName;
    std::unique_ptr<RowSet> rs;
    const auto open = [&](const QString& select) {
        return retryWhileBusy(
            [&](DbError& e) { return (rs = engine_->openRowSet(select, e)) != nullptr; });
    };
    // A busy, read-only, full or damaged database is reported as it is: making a table there
    // would fail too, or write into a file that is already in trouble.
    if (!open(source) && lastError_.kind == ErrorKind::Other) {
        // Most likely the table is missing: create it and look again, then under the owner
        // the suite's older databases used.
        CreateTable(table);
        if (!open(source) &&
            (lastError_.number == 3078 ||
             lastError_.description.startsWith(QStringLiteral("Invalid object name")))) {
            open(QStringLiteral("SELECT TOP 1 * FROM ") + QStringLiteral("vor.") + slot->tableName);
        }
    }
    if (!rs) {
        const DbError& error = lastError_;
        if (!report) {
            return false;
        }
        services_.box(box::Ok, QString::number(error.number) + QStringLiteral("    ") +
                                   QStringLiteral("Open Table Error") + QStringLiteral("    ") +
                                   error.description + u'\r');
        return false;
    }
    currentRow_[table] = std::move(rs);
    slot->opened = true;
    return true;
}

bool RecordLayer::CreateTable(int table) {
    TableSlot* slot = Slot(table);
    if (!slot || !ensureConnected()) {
        return false;
    }
    QStringList statements;
    if (!slot->createStatement.trimmed().isEmpty()) {
        statements << slot->createStatement;
    }
    for (const QString& piece : slot->indexStatements.split(u';')) {
        if (!piece.trimmed().isEmpty()) {
            statements << piece;
        }
    }
    if (statements.isEmpty()) {
        return false;
    }
    // A table comes with all its indexes or not at all.
    const bool ownTransaction = !inTransaction_ && BeginTransaction();
    for (const QString& statement : statements) {
        if (!run(statement)) {
            if (ownTransaction) {
                RollbackTransaction();
            }
            return false;
        }
    }
    if (ownTransaction && !CommitTransaction()) {
        RollbackTransaction();
    }
    return false;
}

bool RecordLayer::TableExists(const QString& tableName) {
    if (!Connected() && !Connect()) {
        return false;
    }
    std::optional<QStringList> tables;
    if (!retryWhileBusy(
            [&](DbError& error) { return (tables = engine_->tables(error)).has_value(); })) {
        return false;
    }
    const QString wanted = tableName.toUpper();
    for (const QString& t : *tables) {
        if (t.toUpper() == wanted) {
            return true;
        }
    }
    return false;
}

std::optional<std::int64_t> RecordLayer::run(const QString& statement) {
    std::optional<std::int64_t> rows;
    if (engine_ && engine_->isOpen()) {
        retryWhileBusy([&](DbError& error) {
            return (rows = engine_->execute(statement, error)).has_value();
        });
    } else {
        lastError_.clear();
        lastError_.number = -1;
        lastError_.description = QStringLiteral("The database is not connected.");
        lastError_.source = QStringLiteral("Record layer");
    }
    if (!rows) {
        logFailedStatement(statement, lastError_);
    }
    return rows;
}

std::int64_t RecordLayer::ExecuteSql(const QString& statement) {
    if (statement.contains(QStringLiteral("Invt")) &&
        statement.contains(QStringLiteral("DELETE"))) {
        writeRecallLines(kInventoryTable);
    }
    return run(statement).value_or(0);
}

// --- start-up sequence ---------------------------------------------------------------------

bool RecordLayer::OpenAllTables() {
    if (dataFolder_.isEmpty()) {
        dataFolder_ = run_.DataPath;
    }
    if (!InitDatabase()) {
        return false;
    }
    PrepareCommonTable();
    storeNumberText_.clear();
    // Without the Common row there is no store number to name the other tables by.
    if (!OpenTable(kCommonTable)) {
        return false;
    }
    if (!RecordOp(kCommonTable, op::GetFirst2, kPhysicalOrder)) {
        return false;
    }
    storeNumberText_ = QString::number(Common.StoreNumber);

    if (!InitDatabase()) {
        return false;
    }
    PrepareInventoryTable(storeNumberText_);
    PrepareUpcTable(storeNumberText_);
    return true;
}

bool RecordLayer::OpenDataTables() {
    if (!OpenTable(kInventoryTable)) {
        return false;
    }
    return OpenTable(kUpcTable);
}

}  // namespace qv::db
