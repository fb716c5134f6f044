#include "tests/support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qv::test {

namespace {

QString driveRootIn(const QString& dir) {
    const QString root = dir + QStringLiteral("/drives");
    QDir().mkpath(root + QStringLiteral("/C"));
    return root;
}

AppInfo sandboxApp(const QTemporaryDir& dir) {
    AppInfo app;
    app.exeName = QStringLiteral("quorvane");
    app.programFolder = dir.filePath(QStringLiteral("program"));  // its own, on any drives
    QDir().mkpath(app.programFolder);
    app.computerName = QStringLiteral("TILL1");
    app.userName = QStringLiteral("tester");
    return app;
}

}  // namespace

Sandbox::Sandbox(const QString& root)
    : root_(root.isEmpty() ? dir_.path() : root),
      fs(PathResolver(driveRootIn(root_))),
      app(sandboxApp(dir_)),
      services{boxes, settings, fs, app} {}

QString Sandbox::makeDir(const QString& path) {
    const QString n = fs.nativePath(path);
    QDir().mkpath(n);
    return n;
}

QString Sandbox::writeFile(const QString& path, const QByteArray& content) {
    const QString n = fs.nativePath(path);
    QDir().mkpath(QFileInfo(n).absolutePath());
    QFile f(n);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(content);
    }
    return n;
}

QByteArray Sandbox::readFile(const QString& path) const {
    QFile f(fs.nativePath(path));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

}  // namespace qv::test
