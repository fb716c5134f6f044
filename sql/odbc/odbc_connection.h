#pragma once

// The ODBC engine's connection (odbc_connection.cpp), shared by the engine and its row sets.

#include "sql/odbc/odbc_support.h"

namespace qv::db {

// One ODBC connection: environment and connection handles, freed in reverse order, with the
// transaction state that row sets and the engine share.
class OdbcConnection {
public:
    OdbcConnection() = default;
    ~OdbcConnection() { disconnect(); }
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    bool open(const QString& connectionString, int timeoutSeconds, DbError& error);
    void disconnect();

    bool connected() const { return connected_; }

    // False as soon as the driver knows the server has gone; drivers that cannot tell are
    // taken at their last word.
    bool alive() const;

    SQLHDBC dbc() const { return dbc_.get(); }
    const QString& dbmsName() const { return dbmsName_; }
    const QString& databaseName() const { return databaseName_; }

    bool setAutoCommit(bool on, DbError& error);
    bool endTransaction(bool commit, DbError& error);

    // A transaction the engine's caller began (beginTransaction); row set writes then run
    // inside it instead of in one of their own.
    bool inTransaction = false;

private:
    QString info(SQLUSMALLINT type) const;

    // Declared before dbc_ so that it is freed after it.
    odbc::EnvHandle env_;
    odbc::DbcHandle dbc_;
    bool connected_ = false;
    QString dbmsName_;
    QString databaseName_;
};

}  // namespace qv::db
