#pragma once

#include "db/record_layer.h"
#include "tests/support/sandbox.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace qv::test {

// Record-layer operations read as a step table (tests/data/...), one per line:
//   clear  | table [| Name=value | ...]         empties the buffer (of invt, upc or common)
//   set    | table | Name=value | ...           sets fields of the buffer, keeps the others
//   item   | n                                 the buffer holds generated item n
//   goto   | record number                     that item is the current row
//   column | ordinal | text                    sets a column of the current inventory row ("-":
//   NULL) keyfromrecord | y or n op     | label | table | operation | key [| direct] [| statement]
// The operation is named as in db::op (GetEqual, Insert, ...). An op labelled "-" must succeed
// and shows nothing; the others add what `describe` makes of them to the transcript returned.
// Other verbs go to `custom` with the row's other cells; what it returns is added too.
// An operation described: its label, table, result, the statement sent (or given back) and the
// error it left, if it left one (the layer keeps the last error until the next).
using DescribeOp = std::function<QString(const QString& label, int table, bool found,
                                         const QString& statement, const QString& error)>;
using CustomRecordStep = std::function<QString(const QString& verb, const QStringList& args)>;
QString RunRecordSteps(db::RecordLayer& layer, const QString& relative, const DescribeOp& describe,
                       const CustomRecordStep& custom = {}, const Sandbox* sandbox = nullptr);

// The record numbers of the inventory table in the order of "SELECT * FROM table ORDER BY ...",
// read through the layer (the server's own order).
std::vector<int> RecordNumbersInOrder(db::RecordLayer& layer, const QString& table,
                                      const QString& orderBy);

// Walks the inventory on a key from its first row to its last, and from its last to its first,
// and expects the record numbers in this order each way.
void ExpectWalksBothWays(db::RecordLayer& layer, std::int16_t key,
                         const std::vector<int>& expected);

}  // namespace qv::test
