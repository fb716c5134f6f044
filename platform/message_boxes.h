#pragma once

#include <QString>

namespace qv {

// Style numbers as the suite's message boxes take them: a button set, an icon and a default
// button added together (4 + 256 = 260 is Yes/No with No as the default).
namespace box {
inline constexpr int Ok = 0;
inline constexpr int YesNo = 4;
inline constexpr int RetryCancel = 5;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
inline constexpr int DefaultSecond = 256;
}  // namespace box

enum class BoxAnswer { Ok, Yes, No, Retry, Cancel };

// The one way any code of ours shows a message box. Implementations keep the title and the
// text exactly as given; line breaks may be CR, CR LF or LF.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual BoxAnswer show(int style, const QString& title, const QString& text) = 0;

    bool askYes(int style, const QString& title, const QString& text) {
        return show(style, title, text) == BoxAnswer::Yes;
    }
    bool askRetry(int style, const QString& title, const QString& text) {
        return show(style, title, text) == BoxAnswer::Retry;
    }
};

// The answer a box of this style gives when it is closed without a choice (Esc, the close
// button, or nobody there to choose): No for Yes/No, Cancel for Retry/Cancel, else OK.
BoxAnswer DismissAnswer(int style);

// Turns CR LF, lone CR and lone LF into "\n", the break a Qt label shows.
QString normaliseLineBreaks(const QString& text);

// Shows QMessageBox windows. Needs a QApplication.
class QtMessageBoxes final : public MessageBoxes {
public:
    BoxAnswer show(int style, const QString& title, const QString& text) override;
};

}  // namespace qv
