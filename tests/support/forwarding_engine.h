#pragma once

#include "sql/engine.h"

#include <memory>
#include <utility>

namespace qv::test {

// An engine that hands every call to another one, owned or not; tests derive from it to put a
// fault or a hook in the way of the calls they care about.
class ForwardingEngine : public db::Engine {
public:
    explicit ForwardingEngine(db::Engine& inner) : inner_(&inner) {}
    explicit ForwardingEngine(std::unique_ptr<db::Engine> inner)
        : owned_(std::move(inner)), inner_(owned_.get()) {}

    bool connect(const db::ConnectParams& p, db::DbError& e) override {
        return inner_->connect(p, e);
    }
    bool isOpen() const override { return inner_->isOpen(); }
    void close() override { inner_->close(); }
    std::optional<std::int64_t> execute(const QString& sql, db::DbError& e) override {
        return inner_->execute(sql, e);
    }
    std::unique_ptr<db::RowSet> openRowSet(const QString& sql, db::DbError& e) override {
        return inner_->openRowSet(sql, e);
    }
    bool forEachRow(const QString& sql, const std::function<bool(const db::RowView&)>& onRow,
                    db::DbError& e) override {
        return inner_->forEachRow(sql, onRow, e);
    }
    int serverStatus(const db::ConnectParams& p) override { return inner_->serverStatus(p); }
    std::optional<QStringList> databases(const db::ConnectParams& p, db::DbError& e) override {
        return inner_->databases(p, e);
    }
    std::optional<QStringList> tables(db::DbError& e) override { return inner_->tables(e); }
    bool beginTransaction(db::DbError& e) override { return inner_->beginTransaction(e); }
    bool commit(db::DbError& e) override { return inner_->commit(e); }
    bool rollback(db::DbError& e) override { return inner_->rollback(e); }

private:
    std::unique_ptr<db::Engine> owned_;
    db::Engine* inner_;
};

}  // namespace qv::test
