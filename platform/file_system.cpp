#include "platform/file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace qv {

namespace {

void setError(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
}

bool isDriveLetterPath(const QString& p) {
    return p.size() >= 2 && p.at(1) == u':' && p.at(0).isLetter() && p.at(0).unicode() < 128;
}

// Follows each element of a native path, matching it case-insensitively against the disk.
QString matchOnDisk(const QString& path) {
    const bool absolute = path.startsWith(u'/');
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    QString current = absolute ? QStringLiteral("/") : QString();
    bool onDisk = true;
    for (const QString& part : parts) {
        QString next = part;
        if (part != u"." && part != u"..") {
            const QString base = current.isEmpty() ? QStringLiteral(".") : current;
            if (onDisk && !QFileInfo::exists(QDir(base).filePath(part))) {
                const QStringList entries = QDir(base).entryList(
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDir::Name);
                onDisk = false;
                for (const QString& e : entries) {
                    if (e.compare(part, Qt::CaseInsensitive) == 0) {
                        next = e;
                        onDisk = true;
                        break;
                    }
                }
            }
        }
        if (current.isEmpty()) {
            current = next;
        } else if (current.endsWith(u'/')) {
            current += next;
        } else {
            current += u'/' + next;
        }
    }
    return current.isEmpty() ? QStringLiteral(".") : current;
}

}  // namespace

PathResolver::PathResolver(QString driveRoot) : driveRoot_(std::move(driveRoot)) {
    if (driveRoot_.isEmpty()) {
        driveRoot_ = qEnvironmentVariable("QUORVANE_DRIVE_ROOT");
    }
    if (driveRoot_.isEmpty()) {
        driveRoot_ = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                         .filePath(QStringLiteral("Quorvane/drives"));
    }
    driveRoot_ = QDir::cleanPath(driveRoot_);
}

QString PathResolver::toNative(const QString& path) const {
#ifdef Q_OS_WIN
    return path;
#else
    QString p = path;
    p.replace(u'\\', u'/');
    if (isDriveLetterPath(p)) {
        QString rest = p.mid(2);
        if (!rest.startsWith(u'/')) {
            rest.prepend(u'/');
        }
        p = driveRoot_ + u'/' + p.at(0).toUpper() + rest;
    } else if (p.startsWith(QStringLiteral("//"))) {
        p = driveRoot_ + QStringLiteral("/UNC/") + p.mid(2);
    }
    if (p.isEmpty()) {
        return p;
    }
    return matchOnDisk(p);
#endif
}

QString PathResolver::toDisplay(const QString& nativePath) const {
#ifdef Q_OS_WIN
    return nativePath;
#else
    const QString clean = QDir::cleanPath(nativePath);
    const QString prefix = driveRoot_ + u'/';
    if (!clean.startsWith(prefix)) {
        return nativePath;
    }
    const QString rest = clean.mid(prefix.size());
    if (rest.isEmpty() || !rest.at(0).isLetter() || (rest.size() > 1 && rest.at(1) != u'/')) {
        return nativePath;
    }
    QString dos = rest.left(1).toUpper() + QStringLiteral(":") + rest.mid(1);
    dos.replace(u'/', u'\\');
    if (dos.size() == 2) {
        dos += u'\\';
    }
    return dos;
#endif
}

QStringList PathResolver::drives() const {
    QStringList out{QStringLiteral("/")};
    const QStringList entries = QDir(driveRoot_).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& e : entries) {
        if (e.size() == 1 && e.at(0).isLetter()) {
            out << e.toUpper() + QStringLiteral(":");
        }
    }
    return out;
}

QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromLatin1(bytes);
}

QStringList splitLines(const QString& text) {
    QStringList lines;
    QString current;
    bool pending = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            lines << current;
            current.clear();
            pending = false;
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
                ++i;
            }
        } else {
            current += c;
            pending = true;
        }
    }
    if (pending) {
        lines << current;
    }
    return lines;
}

std::optional<QStringList> FileSystem::readLines(const QString& path, QString* error) const {
    const auto bytes = readAll(path, error);
    if (!bytes) {
        return std::nullopt;
    }
    return splitLines(decodeText(*bytes));
}

LocalFileSystem::LocalFileSystem(PathResolver resolver) : resolver_(std::move(resolver)) {}

QString LocalFileSystem::nativePath(const QString& path) const {
    return resolver_.toNative(path);
}

bool LocalFileSystem::fileExists(const QString& path) const {
    if (path.trimmed().isEmpty()) {
        return false;
    }
    const QFileInfo fi(nativePath(path));
    return fi.exists() && !fi.isDir();
}

bool LocalFileSystem::dirExists(const QString& path) const {
    if (path.trimmed().isEmpty()) {
        return false;
    }
    return QFileInfo(nativePath(path)).isDir();
}

bool LocalFileSystem::makeDir(const QString& path, QString* error) {
    QString native = nativePath(path);
    while (native.size() > 1 && native.endsWith(u'/')) {
        native.chop(1);
    }
#ifdef Q_OS_WIN
    if (!QDir().mkdir(native)) {
        setError(error, QStringLiteral("Path/File access error"));
        return false;
    }
    return true;
#else
    if (::mkdir(QFile::encodeName(native).constData(), 0777) != 0) {
        setError(error, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
#endif
}

bool LocalFileSystem::copyFile(const QString& from, const QString& to, QString* error) {
    QFile src(nativePath(from));
    const QString target = nativePath(to);
    if (QFileInfo::exists(target)) {
        setError(error, QStringLiteral("File already exists"));
        return false;
    }
    if (!src.copy(target)) {
        setError(error, src.errorString());
        return false;
    }
    return true;
}

bool LocalFileSystem::appendLine(const QString& path, const QString& line, QString* error) {
    QFile f(nativePath(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        setError(error, f.errorString());
        return false;
    }
    const QByteArray bytes = line.toUtf8() + "\r\n";
    if (f.write(bytes) != bytes.size()) {
        setError(error, f.errorString());
        return false;
    }
    return true;
}

std::optional<QByteArray> LocalFileSystem::readAll(const QString& path, QString* error) const {
    QFile f(nativePath(path));
    if (QFileInfo(f.fileName()).isDir() || !f.open(QIODevice::ReadOnly)) {
        setError(error, f.exists() ? f.errorString() : QStringLiteral("File not found"));
        return std::nullopt;
    }
    return f.readAll();
}

bool LocalFileSystem::replaceFile(const QString& path, const QByteArray& data, QString* error) {
    const QFileInfo existing(nativePath(path));
    // The mode bits, not access(): root may write anywhere but a read-only file is still one.
    constexpr auto kAnyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.exists() &&
        (existing.isDir() || !existing.isWritable() || !(existing.permissions() & kAnyWrite))) {
        // A read-only file stays read-only (even for root): the rename would get round it.
        setError(error, QStringLiteral("Permission denied"));
        return false;
    }
    QSaveFile f(existing.filePath());
    if (!f.open(QIODevice::WriteOnly)) {
        setError(error, f.errorString());
        return false;
    }
    if (f.write(data) != data.size() || !f.commit()) {
        setError(error, f.errorString());
        return false;
    }
    return true;
}

}  // namespace qv
