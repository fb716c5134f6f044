#pragma once

#include "datapath/data_path.h"
#include "db/record_layer.h"
#include "lookup/lookup_session.h"
#include "platform/services.h"
#include "settings/country_settings.h"
#include "settings/ini_services.h"
#include "settings/run_values.h"

#include <QString>
#include <cstdint>

namespace qv {

// Everything one run of the program shares: the run's values and the single instances of the
// INI services (gIni), the data path (gDataPath), the country settings, the record layer (with
// its connection, tables and record buffers) and the item lookup's session. The program makes
// one; each test makes a fresh one over its own services.
class Session {
public:
    explicit Session(Services& services);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Services& services;
    RunValues values;
    clsINI_Services gIni;
    clsDataPath gDataPath;
    CountrySettings country;
    db::RecordLayer db;
    LookupSession lookup;

    // The record number "UID=" named, for the inventory record at start.
    std::int32_t startRecordNum = 0;
    // The help file the program's help keys open.
    QString helpFile;
};

}  // namespace qv
