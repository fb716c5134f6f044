#include "startup/session.h"

namespace qv {

Session::Session(Services& s)
    : services(s),
      gIni(s.fs, s.boxes),
      gDataPath(s, gIni, values),
      country(s, values),
      db(s, values, gIni, QString()) {}

}  // namespace qv
