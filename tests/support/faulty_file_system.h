#pragma once

#include "platform/file_system.h"

namespace qv::test {

// Wraps a real file system so that reads or replacements fail on demand (as for a file the
// user may not open, or a full disk) and counts the replacements.
class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

    bool failReads = false;
    bool failReplace = false;
    QString readError;  // the error text of a failed read, when not empty
    int replaceCalls = 0;

    QString nativePath(const QString& p) const override { return real_.nativePath(p); }
    bool fileExists(const QString& p) const override { return real_.fileExists(p); }
    bool dirExists(const QString& p) const override { return real_.dirExists(p); }
    bool makeDir(const QString& p, QString* e) override { return real_.makeDir(p, e); }
    bool copyFile(const QString& f, const QString& t, QString* e) override {
        return real_.copyFile(f, t, e);
    }
    bool appendLine(const QString& p, const QString& l, QString* e) override {
        return real_.appendLine(p, l, e);
    }
    std::optional<QByteArray> readAll(const QString& p, QString* e) const override {
        if (!failReads) {
            return real_.readAll(p, e);
        }
        if (e && !readError.isEmpty()) {
            *e = readError;
        }
        return std::nullopt;
    }
    bool replaceFile(const QString& p, const QByteArray& d, QString* e) override {
        ++replaceCalls;
        return !failReplace && real_.replaceFile(p, d, e);
    }

private:
    FileSystem& real_;
};

}  // namespace qv::test
