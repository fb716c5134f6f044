#include "platform/settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace qv {

namespace {

std::unique_ptr<QSettings> openSettings(const QString& folder, const QString& app) {
#ifdef Q_OS_WIN
    if (folder.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("VB and VBA Program Settings"), app);
    }
#endif
    return std::make_unique<QSettings>(QDir(folder).filePath(app + QStringLiteral(".ini")),
                                       QSettings::IniFormat);
}

// The stored spelling of a name that matches case-insensitively, or the name itself.
QString storedName(const QStringList& names, const QString& wanted) {
    for (const QString& n : names) {
        if (n.compare(wanted, Qt::CaseInsensitive) == 0) {
            return n;
        }
    }
    return wanted;
}

// Enters the section's group (matching its name case-insensitively) and returns the stored
// spelling of the key.
QString enter(QSettings& s, const QString& section, const QString& key) {
    s.beginGroup(storedName(s.childGroups(), section));
    return storedName(s.childKeys(), key);
}

}  // namespace

QtSettingsStore::QtSettingsStore(QString folder) : folder_(std::move(folder)) {
    if (folder_.isEmpty()) {
        folder_ = qEnvironmentVariable("QUORVANE_SETTINGS_DIR");
    }
#ifndef Q_OS_WIN
    if (folder_.isEmpty()) {
        folder_ = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                      .filePath(QStringLiteral("Quorvane"));
    }
#endif
}

QString QtSettingsStore::getSetting(const QString& app, const QString& section, const QString& key,
                                    const QString& defaultValue) const {
    auto s = openSettings(folder_, app);
    const QString k = enter(*s, section, key);
    const QVariant v = s->value(k);
    return v.isValid() ? v.toString() : defaultValue;
}

bool QtSettingsStore::saveSetting(const QString& app, const QString& section, const QString& key,
                                  const QString& value) {
    if (!folder_.isEmpty() && !QDir().mkpath(folder_)) {
        return false;
    }
    auto s = openSettings(folder_, app);
    const QString k = enter(*s, section, key);
    s->setValue(k, value);
    s->endGroup();
    s->sync();
    return s->status() == QSettings::NoError;
}

bool QtSettingsStore::deleteSetting(const QString& app, const QString& section,
                                    const QString& key) {
    auto s = openSettings(folder_, app);
    const QString k = enter(*s, section, key);
    s->remove(k);
    s->endGroup();
    s->sync();
    return s->status() == QSettings::NoError;
}

}  // namespace qv
