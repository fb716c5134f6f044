#include "tests/support/scripted_boxes.h"

#include <gtest/gtest.h>

namespace qv::test {

ScriptedBoxes& ScriptedBoxes::expect(const QString& text, BoxAnswer answer,
                                     std::function<void()> meanwhile) {
    script_.push_back({text, answer, std::move(meanwhile)});
    return *this;
}

BoxAnswer ScriptedBoxes::show(int style, const QString& title, const QString& text) {
    shown_.push_back({style, title, text});
    if (script_.empty()) {
        if (!answerUnexpected) {
            ADD_FAILURE() << "unexpected message box: [" << title.toStdString() << "] "
                          << text.toStdString();
        }
        return DismissAnswer(style);
    }
    const Step step = script_.front();
    script_.pop_front();
    if (!step.text.isEmpty() && step.text != text) {
        ADD_FAILURE() << "message box text differs\n  expected: " << step.text.toStdString()
                      << "\n  shown:    " << text.toStdString();
    }
    if (step.meanwhile) {
        step.meanwhile();
    }
    return step.answer;
}

QString ScriptedBoxes::transcript() const {
    QString out;
    for (const ShownBox& b : shown_) {
        out += QStringLiteral("box %1 [%2] %3\n")
                   .arg(b.style)
                   .arg(b.title, QString(b.text)
                                     .replace(u'\r', QStringLiteral("\\r"))
                                     .replace(u'\n', QStringLiteral("\\n")));
    }
    return out;
}

}  // namespace qv::test
