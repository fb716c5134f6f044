#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace qv {

// Maps the paths the suite stores and users type onto this machine's file system.
//
// A DOS-style path ("C:\KT\VOR.INI", "c:/kt") has its drive letter mapped to a folder
// <drive root>/<LETTER> and its backslashes turned into "/". A UNC path ("\\host\share\x")
// maps to <drive root>/UNC/host/share/x. Any other path is taken as a native one, with
// backslashes also read as separators. Each element of the result is then matched against
// what is on disk without regard to case, so "C:\KT\vor.ini" finds ".../C/kt/VOR.INI";
// elements not on disk are kept as written. On Windows paths are used as they are.
class PathResolver {
public:
    // driveRoot empty: QUORVANE_DRIVE_ROOT, else <user data folder>/Quorvane/drives.
    explicit PathResolver(QString driveRoot = {});

    QString toNative(const QString& path) const;
    // The DOS-style spelling of a native path under the drive root, or the path unchanged.
    QString toDisplay(const QString& nativePath) const;
    QString driveRoot() const { return driveRoot_; }
    // The "drives" a folder browser offers: "/" and each drive folder present, as "X:".
    QStringList drives() const;

private:
    QString driveRoot_;
};

// Decodes a text file's bytes: UTF-8 when they are valid UTF-8, else Windows' Latin-1 range.
QString decodeText(const QByteArray& bytes);

// File-system services. Every path argument may be DOS-style or native (see PathResolver).
// Failures return false or nothing and, when asked, an error text fit to show a user.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual QString nativePath(const QString& path) const = 0;
    virtual bool fileExists(const QString& path) const = 0;
    virtual bool dirExists(const QString& path) const = 0;
    // Creates one folder level; the parent must exist.
    virtual bool makeDir(const QString& path, QString* error = nullptr) = 0;
    // Copies a file; an existing target is left alone and the copy fails.
    virtual bool copyFile(const QString& from, const QString& to, QString* error = nullptr) = 0;
    // Appends text and CR LF, creating the file when missing.
    virtual bool appendLine(const QString& path, const QString& line, QString* error = nullptr) = 0;
    virtual std::optional<QByteArray> readAll(const QString& path,
                                              QString* error = nullptr) const = 0;
    // Lines split at CR LF, LF or CR; the end of the file ends the last line.
    std::optional<QStringList> readLines(const QString& path, QString* error = nullptr) const;
    // Replaces the whole file through a temporary file and a rename, so a failure leaves the
    // old file whole.
    virtual bool replaceFile(const QString& path, const QByteArray& data,
                             QString* error = nullptr) = 0;
};

class LocalFileSystem final : public FileSystem {
public:
    explicit LocalFileSystem(PathResolver resolver = PathResolver());

    const PathResolver& resolver() const { return resolver_; }

    QString nativePath(const QString& path) const override;
    bool fileExists(const QString& path) const override;
    bool dirExists(const QString& path) const override;
    bool makeDir(const QString& path, QString* error = nullptr) override;
    bool copyFile(const QString& from, const QString& to, QString* error = nullptr) override;
    bool appendLine(const QString& path, const QString& line, QString* error = nullptr) override;
    std::optional<QByteArray> readAll(const QString& path, QString* error = nullptr) const override;
    bool replaceFile(const QString& path, const QByteArray& data,
                     QString* error = nullptr) override;

private:
    PathResolver resolver_;
};

// Splits text into lines at CR LF, LF or CR.
QStringList splitLines(const QString& text);

}  // namespace qv
