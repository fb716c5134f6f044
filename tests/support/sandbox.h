#pragma once

#include "platform/file_system.h"
#include "platform/services.h"
#include "tests/support/memory_settings.h"
#include "tests/support/scripted_boxes.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace qv::test {

// A fresh world for one test: a temporary drive root (so "C:\KT" lands inside it), a program
// folder, in-memory per-user settings and scripted message boxes. Given the root of another
// sandbox, its drives instead (another program on the same store).
class Sandbox {
public:
    explicit Sandbox(const QString& root = {});

    // Native path of a DOS-style or native path inside the sandbox.
    QString native(const QString& path) const { return fs.nativePath(path); }
    // Creates the folder (and its parents) for a DOS-style path; returns the native path.
    QString makeDir(const QString& path);
    // Writes a file (creating its folder); returns the native path.
    QString writeFile(const QString& path, const QByteArray& content);
    QByteArray readFile(const QString& path) const;

    QString root() const { return root_; }

    QTemporaryDir dir_;
    QString root_;
    LocalFileSystem fs;
    MemorySettings settings;
    ScriptedBoxes boxes;
    AppInfo app;
    Services services;
};

}  // namespace qv::test
