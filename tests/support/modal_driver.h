#pragma once

#include <gtest/gtest.h>
#include <QTest>
#include <QtWidgets>
#include <deque>
#include <functional>

namespace qv::test {

// Acts on modal windows while a blocking exec() runs: each step waits for the active modal
// window with the given object name and then acts on it, queued, so that an action that opens
// the next exec() does not block the polling. Steps that never come to pass fail the test
// after a while, and every modal window still open is then closed so that the test ends.
class ModalDriver : public QObject {
public:
    using Action = std::function<void(QWidget*)>;

    ModalDriver() {
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start(10);
        clock_.start();
    }
    ~ModalDriver() override {
        timer_.stop();
        EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal step(s) never ran, first for "
                                    << (steps_.empty() ? "" : steps_.front().name.toStdString());
    }

    ModalDriver& on(const QString& objectName, Action act) {
        steps_.push_back({objectName, std::move(act)});
        return *this;
    }
    bool done() const { return steps_.empty(); }

private:
    struct Step {
        QString name;
        Action act;
    };

    void poll() {
        QWidget* w = QApplication::activeModalWidget();
        if (clock_.elapsed() > 10000) {
            if (w) {
                ADD_FAILURE() << "modal window left open: " << w->objectName().toStdString();
                QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
            }
            return;
        }
        if (!w || w == last_ || steps_.empty() || w->objectName() != steps_.front().name) {
            return;
        }
        // Keys typed before the window is active miss what its focus-in does (select all); a
        // window shown again after a child closed may wait for activation.
        if (!w->isActiveWindow()) {
            w->activateWindow();
            return;
        }
        last_ = w;
        const Step step = steps_.front();
        steps_.pop_front();
        QPointer<QWidget> target(w);
        QTimer::singleShot(0, this, [this, step, target] {
            // As a user waits for the window to come up before typing: what its activation
            // does (the focus, a selection made on focus) is done before the first key.
            if (target && QTest::qWaitForWindowActive(target, 2000)) {
                QCoreApplication::processEvents();
            }
            if (target) {
                step.act(target);
            }
            last_ = nullptr;  // the same window may be shown modally again
        });
    }

    std::deque<Step> steps_;
    QPointer<QWidget> last_;
    QTimer timer_;
    QElapsedTimer clock_;
};

}  // namespace qv::test
