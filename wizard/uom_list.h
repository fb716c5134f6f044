#pragma once

#include "platform/file_system.h"

#include <QString>
#include <QStringList>

namespace qv {

// The units of measure the pack and single items can be given, read from "uom.vor" in the
// data folder. One unit a line, three tagged values each running to the next "[" or the end
// of the line:
//   [CODE]3 [LABEL]CS [DESC]Case
// [CODE] is read and not used; [LABEL] is the unit's code (cut or blank-filled to 5
// characters), [DESC] its description. An entry of the lists reads "CS    - Case": the
// 5-character code, " - ", the description. The inventory column UOM keeps the first five
// characters of the chosen entry.
inline constexpr int kUomCodeWidth = 5;
inline constexpr char kUomFileName[] = "uom.vor";
// The one entry offered when there is no unit file at all.
inline constexpr char kDefaultUomEntry[] = "EA   - Each";

struct UomFile {
    QStringList entries;
    // Empty when the file read cleanly (or is missing, which is normal); otherwise a message
    // for the user saying what was wrong and what was done about it.
    QString problem;
};

// The entry of one line of the file, or an empty text for a line that carries neither a
// [LABEL] nor a [DESC] tag (a blank or garbled line, which the list leaves out).
QString UomEntryFromLine(const QString& line);

// Reads the unit file of the data folder (DOS-style path, as the suite writes it):
// - no file: the single entry "EA   - Each";
// - a file: one entry per line that carries a tag, in file order (an empty file gives an empty
//   list); lines without tags are left out and named in problem;
// - a file that cannot be read: the default entry, and problem says so.
UomFile ReadUomFile(const FileSystem& fs, const QString& dataFolder);

// The position in entries of the one that stands for a stored unit code: the first entry when
// the code is blank, -1 when none matches (codes compare on their first five characters,
// trailing blanks included as the column keeps them).
int FindUomEntry(const QStringList& entries, const QString& uom);

// The description of an entry: the trimmed text after its " - " (after its first "-" for an
// entry of another shape); the whole entry when it holds no "-".
QString UomDescription(const QString& entry);

}  // namespace qv
