#include "settings/ini_services.h"

#include <new>
#include <span>

namespace qv {

namespace {

// Every read goes through a buffer of this size, so values and lists stop at 254 characters.
constexpr qsizetype kBufferSize = 255;

const QString kBoxTitle = QStringLiteral("INI Class");

// A failure that ends an operation: it becomes the operation's "INI Class" box.
struct IniRunError {
    int number;
    QString description;
};

void throwIfRunError(ProfileError why) {
    switch (why) {
        case ProfileError::NotAFile:
            throw IniRunError{75, QStringLiteral("Path/File access error")};
        case ProfileError::CannotRead:
            throw IniRunError{70, QStringLiteral("Permission denied")};
        default:
            break;
    }
}

// Runs an operation; a failure shows the box with the context line (if any) and gives fallback.
template <typename T, typename Body>
T guarded(MessageBoxes& boxes, const QString& context, T fallback, Body body) {
    IniRunError failure{0, QString()};
    try {
        return body();
    } catch (const IniRunError& e) {
        failure = e;
    } catch (const std::bad_alloc&) {
        failure = {7, QStringLiteral("Out of memory")};
    }
    QString text = QStringLiteral("Error Number: ") + QString::number(failure.number) +
                   QStringLiteral("\r\n") + failure.description;
    if (!context.isEmpty()) {
        text += QStringLiteral("\r\n\r\n") + context;
    }
    boxes.show(box::Critical, kBoxTitle, text);
    return fallback;
}

// The operations' shared steps. They report failures by throwing IniRunError, so that the
// public operation that called them shows one box.
class Steps {
public:
    Steps(FileSystem& fs, const QString& file) : fs_(fs), file_(file) {}

    struct Read {
        QString buffer;
        qsizetype count = 0;
    };

    Read read(const ProfileText& section, const ProfileText& key, const ProfileText& def) const {
        Read r{QString(kBufferSize, QChar(u'\0')), 0};
        ProfileError why = ProfileError::None;
        r.count = getPrivateProfileString(fs_, section, key, def,
                                          std::span<QChar>(r.buffer.data(), r.buffer.size()), file_,
                                          &why);
        throwIfRunError(why);
        return r;
    }

    bool write(const QString& section, const ProfileText& key, const ProfileText& value) {
        ProfileError why = ProfileError::None;
        const bool ok = writePrivateProfileString(fs_, section, key, value, file_, &why);
        throwIfRunError(why);
        return ok;
    }

    QString value(const QString& section, const QString& key, const ProfileText& def) const {
        const Read r = read(section, key, def);
        if (r.count == 0) {
            return QString();
        }
        const qsizetype nul = r.buffer.indexOf(QChar(u'\0'));
        return nul < 0 ? r.buffer : r.buffer.left(nul);
    }

    // A NUL-separated list as the buffer holds it: always at least one element, and the last
    // character counted (the list's closing NUL) is not looked at.
    static QStringList split(const Read& r) {
        QStringList out{QStringLiteral("")};
        for (qsizetype i = 0; i < r.count - 1; ++i) {
            const QChar c = r.buffer.at(i);
            if (c == u'\0') {
                out << QStringLiteral("");
            } else {
                out.last() += c;
            }
        }
        return out;
    }

    QStringList sections() const { return split(read(std::nullopt, std::nullopt, QString())); }

    QStringList keys(const QString& section) const {
        return split(read(section, std::nullopt, QString()));
    }

    IniTable keyValues(const QString& section) const {
        IniTable rows;
        for (const QString& key : keys(section)) {
            rows.push_back({key, value(section, key, QString())});
        }
        return rows;
    }

    bool hasKey(const QString& section, const QString& key) const {
        for (const QString& k : keys(section)) {
            if (k.compare(key, Qt::CaseInsensitive) == 0) {
                return true;
            }
        }
        return false;
    }

    QStringList keysWithValue(const QString& section, const QString& value) const {
        QStringList found;
        for (const auto& row : keyValues(section)) {
            if (row[1].compare(value, Qt::CaseInsensitive) == 0) {
                found << row[0];
            }
        }
        return found.isEmpty() ? QStringList{QStringLiteral("")} : found;
    }

private:
    FileSystem& fs_;
    const QString& file_;
};

}  // namespace

clsINI_Services::clsINI_Services(FileSystem& fs, MessageBoxes& boxes) : fs_(fs), boxes_(boxes) {}

void clsINI_Services::File_Name(const QString& path) {
    fileOpen_ = true;
    // Deleting the nameless section changes no file and fails only when the name is unusable.
    if (writePrivateProfileString(fs_, QStringLiteral(""), std::nullopt, std::nullopt, path)) {
        file_ = path;
    } else {
        file_.clear();
        fileOpen_ = false;
    }
}

bool clsINI_Services::WriteData(const QString& sectionName, const QString& keyName,
                                const QString& keyValue) {
    return guarded(boxes_, QStringLiteral("Write Date Class INI"), false, [&] {
        return fileOpen_ && Steps(fs_, file_).write(sectionName, keyName, keyValue);
    });
}

bool clsINI_Services::DeleteData(const QString& sectionName, const ProfileText& keyName,
                                 const ProfileText& keyValue) {
    return guarded(boxes_, QStringLiteral("Delete Data Class INI"), false, [&] {
        return fileOpen_ && Steps(fs_, file_).write(sectionName, keyName, keyValue);
    });
}

std::optional<QStringList> clsINI_Services::GetAllSections() {
    return guarded(boxes_, QStringLiteral("GetAllSections Class INI "),
                   std::optional<QStringList>(), [&]() -> std::optional<QStringList> {
                       if (!fileOpen_) {
                           return std::nullopt;
                       }
                       return Steps(fs_, file_).sections();
                   });
}

std::optional<QStringList> clsINI_Services::GetAllKeysInSection(const QString& sectionName) {
    return guarded(boxes_, QStringLiteral("KeysIn Section Class INI"), std::optional<QStringList>(),
                   [&]() -> std::optional<QStringList> {
                       if (!fileOpen_) {
                           return std::nullopt;
                       }
                       return Steps(fs_, file_).keys(sectionName);
                   });
}

std::optional<IniTable> clsINI_Services::GetAllKeysValuesInSection(const QString& sectionName) {
    return guarded(boxes_, QStringLiteral("Get All KeyValues Class INI"), std::optional<IniTable>(),
                   [&]() -> std::optional<IniTable> {
                       if (!fileOpen_) {
                           return std::nullopt;
                       }
                       return Steps(fs_, file_).keyValues(sectionName);
                   });
}

QString clsINI_Services::GetValue(const QString& sectionName, const QString& keyName,
                                  const QString& defaultValue) {
    return guarded(boxes_, QStringLiteral("Get Value Class ini"), QString(),
                   [&] { return Steps(fs_, file_).value(sectionName, keyName, defaultValue); });
}

std::optional<QStringList> clsINI_Services::FindKeyInFile(const QString& keyName) {
    return guarded(boxes_, QStringLiteral("Find Key IN File Class ini"),
                   std::optional<QStringList>(), [&]() -> std::optional<QStringList> {
                       if (!fileOpen_) {
                           return std::nullopt;
                       }
                       const Steps steps(fs_, file_);
                       const QStringList sections = steps.sections();
                       QStringList found;
                       if (!sections.first().isEmpty()) {
                           for (const QString& section : sections) {
                               if (steps.hasKey(section, keyName)) {
                                   found << section;
                               }
                           }
                       }
                       return found.isEmpty() ? QStringList{QStringLiteral("")} : found;
                   });
}

bool clsINI_Services::FindKeyInSection(const QString& sectionName, const QString& keyName) {
    return guarded(boxes_, QStringLiteral("Find Key In Section Class INI"), false,
                   [&] { return fileOpen_ && Steps(fs_, file_).hasKey(sectionName, keyName); });
}

std::optional<QStringList> clsINI_Services::FindValueInSection(const QString& sectionName,
                                                               const QString& keyValue) {
    return guarded(boxes_, QStringLiteral("Find Value in Section"), std::optional<QStringList>(),
                   [&]() -> std::optional<QStringList> {
                       if (!fileOpen_) {
                           return std::nullopt;
                       }
                       return Steps(fs_, file_).keysWithValue(sectionName, keyValue);
                   });
}

std::optional<IniTable> clsINI_Services::FindValueInFile(const QString& keyValue) {
    if (!fileOpen_) {
        return std::nullopt;
    }
    const std::optional<QStringList> sections = GetAllSections();
    if (!sections) {
        return std::nullopt;
    }
    IniTable table{{QStringLiteral(""), QStringLiteral("")}};
    for (const QString& section : *sections) {
        const std::optional<QStringList> keys = FindValueInSection(section, keyValue);
        if (!keys) {
            return std::nullopt;
        }
        if (keys->first().isEmpty()) {
            continue;
        }
        for (const QString& key : *keys) {
            table.push_back({section, key});
        }
    }
    return table;
}

bool clsINI_Services::RenameSection(const QString& sectionName, const QString& newSectionName) {
    return guarded(boxes_, QString(), false, [&] {
        if (!fileOpen_) {
            return false;
        }
        Steps steps(fs_, file_);
        const IniTable rows = steps.keyValues(sectionName);
        if (!steps.write(sectionName, std::nullopt, std::nullopt)) {
            return false;
        }
        if (rows.size() == 1 && rows.front()[0].isEmpty()) {
            // Writing a key creates the header; deleting the key again leaves the header alone.
            const QString dummy = QStringLiteral("dummy");
            return steps.write(newSectionName, dummy, QStringLiteral("")) &&
                   steps.write(newSectionName, dummy, std::nullopt);
        }
        for (const auto& row : rows) {
            steps.write(newSectionName, row[0], row[1]);
        }
        return true;
    });
}

bool clsINI_Services::RenameKey(const QString& sectionName, const QString& keyName,
                                const QString& newKeyName) {
    return guarded(boxes_, QString(), false, [&] {
        if (!fileOpen_) {
            return false;
        }
        Steps steps(fs_, file_);
        const QString value = steps.value(sectionName, keyName, std::nullopt);
        if (!steps.write(sectionName, keyName, std::nullopt)) {
            return false;
        }
        steps.write(sectionName, newKeyName, value);
        return true;
    });
}

}  // namespace qv
