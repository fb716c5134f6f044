#pragma once

#include <QDialog>
#include <QString>
#include <array>

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
class FrmUPC : public QDialog {
    Q_OBJECT
public:
    explicit FrmUPC(QWidget* parent = nullptr);

    // The UPC a typed text gives: the trimmed text when it is 5 to 15 digits, otherwise empty
    // (a shorter or non-numeric code is dropped without a message).
    static QString AcceptedUpc(const QString& typed);

    // 1 Accept, 0 Cancel; both close the dialog.
    void CmdExit_Click(int index);

    QString Result() const { return result_; }
    QLineEdit* TxtUPC() const { return TxtUPC_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QString result_;
    QLabel* Label1_ = nullptr;
    QLineEdit* TxtUPC_ = nullptr;
    std::array<QPushButton*, 2> CmdExit_{};
};

}  // namespace qv
