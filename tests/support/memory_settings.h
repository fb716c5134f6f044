#pragma once

#include "platform/settings_store.h"

#include <QMap>

namespace qv::test {

// Per-user settings held in memory; names compare without regard to case.
class MemorySettings final : public SettingsStore {
public:
    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const override {
        return values_.value(path(app, section, key), defaultValue);
    }
    bool saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override {
        values_.insert(path(app, section, key), value);
        return true;
    }
    bool deleteSetting(const QString& app, const QString& section, const QString& key) override {
        values_.remove(path(app, section, key));
        return true;
    }
    bool contains(const QString& app, const QString& section, const QString& key) const {
        return values_.contains(path(app, section, key));
    }
    qsizetype size() const { return values_.size(); }

private:
    static QString path(const QString& app, const QString& section, const QString& key) {
        return (app + u'\x1f' + section + u'\x1f' + key).toUpper();
    }
    QMap<QString, QString> values_;
};

}  // namespace qv::test
