#pragma once

#include "platform/message_boxes.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace qv::test {

struct ShownBox {
    int style = 0;
    QString title;
    QString text;
};

// Message boxes for tests: records every box and answers from a script. A box that the
// script does not expect fails the running test.
class ScriptedBoxes final : public MessageBoxes {
public:
    // Expects a box with this text (empty: any text) and answers it, after running `meanwhile`
    // (what happens in the world while the box is on screen) when one is given.
    ScriptedBoxes& expect(const QString& text, BoxAnswer answer = BoxAnswer::Ok,
                          std::function<void()> meanwhile = {});
    ScriptedBoxes& expectAny(BoxAnswer answer = BoxAnswer::Ok) { return expect({}, answer); }

    BoxAnswer show(int style, const QString& title, const QString& text) override;

    const std::vector<ShownBox>& shown() const { return shown_; }
    // Every box shown, one a line: style, title and text (line breaks as \r \n).
    QString transcript() const;
    // When set, a box the script does not expect is answered (Ok, or No) and only recorded.
    bool answerUnexpected = false;
    bool allAnswered() const { return script_.empty(); }
    void clear() {
        shown_.clear();
        script_.clear();
    }

private:
    struct Step {
        QString text;
        BoxAnswer answer;
        std::function<void()> meanwhile;
    };
    std::deque<Step> script_;
    std::vector<ShownBox> shown_;
};

}  // namespace qv::test
