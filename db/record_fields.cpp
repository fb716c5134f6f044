#include "db/record_fields.h"

#include "db/sql_text.h"

namespace qv::db {

Value TextSegment(QStringView text, int segment) {
    return Value::text(RTrim(SqlSafeText(text.toString(), segment <= 3, 0)));
}

}  // namespace qv::db
