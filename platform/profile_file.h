#pragma once

#include "platform/file_system.h"

#include <QChar>
#include <QString>
#include <optional>
#include <span>

namespace qv {

// Reading and writing INI-style settings files ("[Section]" lines, then "Key=Value" lines) with
// the behaviour of the Windows profile-string functions the suite's files are written for.
//
// Absent versus empty: every name or value argument is a ProfileText. std::nullopt stands for
// the platform's null pointer (absent), which is what asks for a list or a deletion; an empty
// QString is an ordinary empty text. A null QString inside the optional counts as empty.
//
// File format as read:
// - Lines end with CR LF, LF or CR; the last line may have no end.
// - A line whose first non-blank character is "[" and that has a later "]" starts a section;
//   the name is the text between the "[" and the last "]", without surrounding blanks.
// - A line whose first non-blank character is ";" is a comment.
// - Any other line with an "=" is a key: the name before the first "=" and the value after it,
//   both without surrounding blanks (spaces and tabs). Lines without "=", lines before the
//   first section and keys or sections with an empty name are kept but never matched or listed.
// - Section and key names match without regard to case; the first section of a name and the
//   first key of a name within it win. A list of sections names each section once.
// - Bytes are decoded as UTF-8 when the whole file is valid UTF-8, else as Latin-1 (the rule
//   of decodeText); a UTF-8 byte-order mark is kept and not read as part of the first line.
//
// The file is never held open between calls: each call reads it whole and, when it changes,
// writes it whole through FileSystem::replaceFile.
using ProfileText = std::optional<QString>;

// Why a profile call did not do what was asked (ProfileError::None when it did).
enum class ProfileError {
    None,
    BadFileName,  // the file name is empty
    NotFound,     // reading a file that does not exist (the default is returned)
    NoFolder,     // writing into a folder that does not exist
    NotAFile,     // the name is that of a folder
    CannotRead,   // the file exists but its contents cannot be read
    CannotWrite,  // the new contents could not be stored (read-only file, disk full, ...)
    BadText,      // a name or value that cannot be stored as one line of the file
};

// Reads from an INI file into buffer, as GetPrivateProfileStringA does; buffer.size() is the
// buffer size. Returns the number of characters copied, not counting the final NUL.
//
// - section absent: every section name, each followed by a NUL, and one more NUL at the end.
// - key absent: the names of the section's keys, in the same form; when the section is
//   missing or has no keys, the default is copied instead.
// - otherwise: the key's value, or the default (absent = empty) when the section or the key
//   is missing or either name is empty.
// A value never fills more than size - 1 characters and is followed by a NUL (the result is
// then size - 1); a list that does not fit is cut at size - 2 characters and ended with two
// NULs (the result is then size - 2). Characters of the buffer after those written are left
// alone. A missing file reads as an empty one; a file that cannot be read also gives the
// default, and *error says why.
qsizetype getPrivateProfileString(const FileSystem& fs, const ProfileText& section,
                                  const ProfileText& key, const ProfileText& defaultValue,
                                  std::span<QChar> buffer, const QString& fileName,
                                  ProfileError* error = nullptr);

// Changes an INI file as WritePrivateProfileStringA does; true when the file now holds what
// was asked.
//
// - key absent: deletes every section of that name with all its lines.
// - value absent: deletes the key (each line of that name in the first section of the name).
// - otherwise sets the value: the first line of the key is rewritten in place (its name and
//   the blanks around "=" as they were), or a new "Key=Value" line is added after the last
//   non-blank line of the section, or a new section is added at the end of the file.
// - section "" with no key and no value changes nothing and succeeds when the file name is
//   usable (its folder exists and it is not a folder): callers use it to test a file name.
// A change touches only the lines it concerns: every other byte stays as it was. New lines end
// with CR LF (and so does a last line that had no end when a line is added after it). New text
// is written in the file's encoding; text that Latin-1 cannot hold turns a Latin-1 file into
// UTF-8. A missing file is created when something is to be written and its folder exists.
// Names and values holding CR, LF or NUL, keys holding "=" or starting with "[" or ";", and
// empty key or section names (other than the test above) are refused (ProfileError::BadText).
// A refused or failed write leaves the file as it was.
bool writePrivateProfileString(FileSystem& fs, const ProfileText& section, const ProfileText& key,
                               const ProfileText& value, const QString& fileName,
                               ProfileError* error = nullptr);

}  // namespace qv
