#include "startup/session.h"

#include "db/connection.h"

namespace qv {

Session::Session(Services& s)
    : services(s),
      gIni(s.fs, s.boxes),
      gDataPath(s, gIni, values),
      country(s, values),
      db(s, values, gIni, QString()) {
    db.SetBusyPrompt(db::StoreBusyPrompt(s));
}

}  // namespace qv
