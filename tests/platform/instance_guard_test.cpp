#include "platform/instance_guard.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUuid>

namespace qv {
namespace {

QString uniqueKey() {
    return QStringLiteral("test-") + QUuid::createUuid().toString();
}

TEST(LocalInstanceGuard, SecondCopyIsToldAndCanWakeTheFirstOtherKeysAndEndedCopiesDoNot) {
    const QString key = uniqueKey();
    {
        LocalInstanceGuard first(key);
        ASSERT_FALSE(first.anotherInstanceRunning());
        EXPECT_FALSE(first.anotherInstanceRunning());  // asking again changes nothing
        int activations = 0;
        QObject::connect(&first, &LocalInstanceGuard::activationRequested, [&] { ++activations; });
        EXPECT_FALSE(LocalInstanceGuard(uniqueKey()).anotherInstanceRunning());

        LocalInstanceGuard second(key);
        EXPECT_TRUE(second.anotherInstanceRunning());
        second.activateOther();
        QElapsedTimer t;
        t.start();
        while (activations == 0 && t.elapsed() < 3000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        EXPECT_EQ(activations, 1);
    }
    LocalInstanceGuard later(key);
    EXPECT_FALSE(later.anotherInstanceRunning());
}

}  // namespace
}  // namespace qv
