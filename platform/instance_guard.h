#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

namespace qv {

// Tells whether another copy of the program runs for this user on this machine.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    // The first call claims the program for this process when nobody else holds it.
    virtual bool anotherInstanceRunning() = 0;
    // Asks the running copy to bring its window to the front.
    virtual void activateOther() = 0;
};

// A lock file per user and machine claims the program; a local socket lets a second copy ask
// the first to come to the front. A lock left by a crashed copy is taken over.
class LocalInstanceGuard final : public QObject, public InstanceGuard {
    Q_OBJECT
public:
    // key empty: one per user and machine.
    explicit LocalInstanceGuard(QString key = {}, QObject* parent = nullptr);
    ~LocalInstanceGuard() override;

    bool anotherInstanceRunning() override;
    void activateOther() override;

Q_SIGNALS:
    void activationRequested();

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    bool owner_ = false;
    bool checked_ = false;
};

}  // namespace qv
