#pragma once

#include <QString>

namespace qv {

// Per-user application settings: application name, section and key, all values text.
// Names compare without regard to case, as the Windows registry does.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString getSetting(const QString& app, const QString& section, const QString& key,
                               const QString& defaultValue = {}) const = 0;
    virtual bool saveSetting(const QString& app, const QString& section, const QString& key,
                             const QString& value) = 0;
    virtual bool deleteSetting(const QString& app, const QString& section, const QString& key) = 0;
};

// QSettings-backed store. On Windows the values land in the registry under
// HKCU\Software\VB and VBA Program Settings\<app>\<section>, where the suite's other programs
// keep them. Elsewhere, and whenever a folder is given, each application is an INI file
// "<folder>/<app>.ini" with one group per section.
class QtSettingsStore final : public SettingsStore {
public:
    // folder empty: the platform's place (see above); QUORVANE_SETTINGS_DIR overrides it.
    explicit QtSettingsStore(QString folder = {});

    QString getSetting(const QString& app, const QString& section, const QString& key,
                       const QString& defaultValue = {}) const override;
    bool saveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override;
    bool deleteSetting(const QString& app, const QString& section, const QString& key) override;

    QString folder() const { return folder_; }

private:
    QString folder_;
};

}  // namespace qv
