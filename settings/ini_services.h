#pragma once

#include "platform/file_system.h"
#include "platform/message_boxes.h"
#include "platform/profile_file.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace qv {

// A table of two text columns, row by row: row[0] and row[1].
using IniTable = std::vector<std::array<QString, 2>>;

// Keyed access to one INI-style settings file (the suite's "VOR.INI"), through the profile
// functions of platform/profile_file.h. The program keeps one instance in its session; tests
// make their own.
//
// Every read goes through a 255-character buffer, so a value, a list of names or a default is
// cut to 254 characters. Lists and tables are zero-based; "nothing" (std::nullopt) is a result
// without an array, which is what the operations that need an accepted file name give when
// FileOpen() is false, and what any operation gives after a failure. A readable file with no
// match gives a one-element list holding the empty text instead.
//
// Absent versus empty: WriteData always writes (a null QString is written as empty text);
// only DeleteData takes absent names or values (std::nullopt), which delete a section (absent
// key) or a key (absent value).
//
// Failures: a missing file reads as an empty one and is not an error, and a write the file
// system refuses (read-only file, missing folder, a name or value that cannot be stored on one
// line) just gives false. A file that exists but cannot be read at all, or a name that is a
// folder's, is an error: the operation shows a critical box titled "INI Class" with
// "Error Number: 70" + CR LF + "Permission denied" (or 75 and "Path/File access error" for a
// folder), then CR LF CR LF and the operation's context line when it has one, and returns its
// default result (false, empty text or nothing). An operation built on others shows at most
// one box, with its own context line, except FindValueInFile, which has no handler of its own:
// there the box is the one of GetAllSections or FindValueInSection.
class clsINI_Services {
public:
    clsINI_Services(FileSystem& fs, MessageBoxes& boxes);

    // Accepts the path when a file of that name can be kept there (its folder exists and the
    // path is not a folder); a file that exists is left byte for byte as it was. Otherwise
    // File() becomes empty and FileOpen() false. A path of either kind may be given.
    void File_Name(const QString& path);
    QString File() const { return file_; }
    bool FileOpen() const { return fileOpen_; }

    // Sets a value; false without an accepted file name or when the write fails.
    bool WriteData(const QString& sectionName, const QString& keyName, const QString& keyValue);
    // Absent key: deletes the section; absent value: deletes the key; else writes the value.
    bool DeleteData(const QString& sectionName, const ProfileText& keyName,
                    const ProfileText& keyValue);
    std::optional<QStringList> GetAllSections();
    std::optional<QStringList> GetAllKeysInSection(const QString& sectionName);
    // Rows of (key, value); a section without keys gives the one row ("", "").
    std::optional<IniTable> GetAllKeysValuesInSection(const QString& sectionName);
    // The value, or defaultValue when the key or the section is missing or either name is
    // empty. Works without an accepted file name (then the default is returned).
    QString GetValue(const QString& sectionName, const QString& keyName,
                     const QString& defaultValue = QString());
    // Names of the sections holding the key; [""] when none does.
    std::optional<QStringList> FindKeyInFile(const QString& keyName);
    bool FindKeyInSection(const QString& sectionName, const QString& keyName);
    // Keys of the section whose value equals keyValue without regard to case; [""] when none.
    std::optional<QStringList> FindValueInSection(const QString& sectionName,
                                                  const QString& keyValue);
    // Row 0 is ("", ""); then one row of (section, key) per value found, in file order.
    std::optional<IniTable> FindValueInFile(const QString& keyValue);
    // Moves every key of the section under a new section name; an empty section leaves an
    // empty header of the new name.
    bool RenameSection(const QString& sectionName, const QString& newSectionName);
    // Moves the key's value to a new key name; true once the old key is deleted.
    bool RenameKey(const QString& sectionName, const QString& keyName, const QString& newKeyName);

private:
    FileSystem& fs_;
    MessageBoxes& boxes_;
    QString file_;
    bool fileOpen_ = false;
};

}  // namespace qv
