#pragma once

#include "db/record_layer.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace qv::test {

// Record-layer operations read as a step table (tests/data/...), one per line:
//   clear  | invt or upc                       empties the buffer
//   set    | invt or upc | Name=value | ...     sets fields of the buffer, keeps the others
//   item   | n                                 the buffer holds generated item n
//   goto   | record number                     that item is the current row
//   column | ordinal | text                    sets a column of the current inventory row
//   keyfromrecord | y or n
//   op     | label | invt or upc | operation | key [| direct] [| statement]
// The operation is named as in db::op (GetEqual, Insert, ...). An op labelled "-" must succeed
// and shows nothing; the others add what `describe` makes of them to the transcript returned.
// Other verbs go to `custom` with the row's other cells.
using DescribeOp =
    std::function<QString(const QString& label, int table, bool found, const QString& statement)>;
QString RunRecordSteps(db::RecordLayer& layer, const QString& relative, const DescribeOp& describe,
                       const std::function<void(const QString&, const QStringList&)>& custom = {});

}  // namespace qv::test
