#pragma once

#include <QString>
#include <QStringView>

namespace qv::db {

// A fixed-width text field of a record buffer: it always holds exactly N characters. Anything
// assigned to it is cut to N characters or padded with blanks on the right, as the suite's
// fixed-length record fields are. A cut never leaves half of a surrogate pair behind.
template <int N>
class FixedText {
    static_assert(N > 0, "a text field has at least one character");

public:
    static constexpr int kWidth = N;

    FixedText() : s_(N, u' ') {}
    explicit FixedText(QStringView text) { assign(text); }

    FixedText& operator=(QStringView text) {
        assign(text);
        return *this;
    }
    FixedText& operator=(const QString& text) {
        assign(text);
        return *this;
    }
    FixedText& operator=(const char16_t* text) {
        assign(QStringView(text));
        return *this;
    }

    // The full N characters, padding included.
    const QString& str() const { return s_; }
    operator const QString&() const { return s_; }  // NOLINT: reads like the text it holds
    // Without the trailing blanks.
    QString rtrimmed() const {
        qsizetype end = s_.size();
        while (end > 0 && s_.at(end - 1) == u' ') {
            --end;
        }
        return s_.left(end);
    }
    // Without blanks or other white space at either end.
    QString trimmed() const { return s_.trimmed(); }
    // True when every character is a blank.
    bool isBlank() const { return s_.trimmed().isEmpty(); }
    // True when the last character is not a blank: the value fills the field.
    bool isFull() const { return s_.at(N - 1) != u' '; }

    friend bool operator==(const FixedText& a, const FixedText& b) { return a.s_ == b.s_; }

private:
    void assign(QStringView text) {
        if (text.size() > N) {
            text = text.left(N);
            if (text.back().isHighSurrogate()) {
                text.chop(1);
            }
        }
        s_ = text.toString();
        if (s_.size() < N) {
            s_.append(QString(N - s_.size(), u' '));
        }
    }

    QString s_;
};

}  // namespace qv::db
