#pragma once

#include "platform/file_system.h"

#include <QString>

namespace qv {

// "QZV.txt" in the program's own folder: the lines of the last item creation. Opening it
// empties the file, so it only ever holds one creation; each line ends with CR LF. Writing
// to it never stops the wizard: a log that cannot be written is simply left as it is.
class CreationLog {
public:
    static constexpr char kFileName[] = "QZV.txt";

    CreationLog(FileSystem& fs, const QString& programFolder);

    // Starts a new creation: the file is emptied.
    void open();
    void line(const QString& text);

    QString path() const { return path_; }

private:
    FileSystem& fs_;
    QString path_;
};

}  // namespace qv
