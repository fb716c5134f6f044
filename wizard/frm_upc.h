#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

// Asks for a UPC when the root item has none on record.
//
// Controls (object names): Label1 "No UPC on Record for this Item. Please enter UPC if
// available", TxtUPC, and the button array CmdExit as CmdExit_1 "Accept", CmdExit_0
// "Esc Cancel". F10 and Enter accept, Esc cancels; closing the window cancels too.
//
// Result() is the accepted UPC, or empty after a cancel or when the text was not a UPC.
// A code check, when set, is asked when the box is left with Tab and again on Accept; a code
// it refuses keeps the dialog open with the focus in the box.
class FrmUPC : public QDialog {
    Q_OBJECT
public:
    explicit FrmUPC(QWidget* parent = nullptr);

    // The UPC a typed text gives: the trimmed text when it is 5 to 15 digits, otherwise empty
    // (a shorter or non-numeric code is dropped without a message).
    static QString AcceptedUpc(const QString& typed);

    // 1 Accept, 0 Cancel; both close the dialog.
    void CmdExit_Click(int index);

    // Answers whether a code (5 to 15 digits) may be saved, having told the user why not.
    using CodeCheck = std::function<bool(const QString& code)>;
    void setCodeCheck(CodeCheck check) { check_ = std::move(check); }

    QString Result() const { return result_; }
    QLineEdit* TxtUPC() const { return TxtUPC_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool codeRefused(const QString& code);

    CodeCheck check_;
    bool checking_ = false;
    QString result_;
    QLabel* Label1_ = nullptr;
    QLineEdit* TxtUPC_ = nullptr;
    std::array<QPushButton*, 2> CmdExit_{};
};

}  // namespace qv
