#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qv {

class clsDataPath;
class frmSMFILE_PATH;

// "Set Data Path": the modal dialog in which the user sets the data folder, the station number,
// the network flag and the training-data flag of a clsDataPath. Nothing reaches the object
// before OK; OK validates (which may offer to create a missing folder), saves and closes, or
// shows why not and stays open. Cancel, Esc and closing the window set Cancelled only.
//
// Controls (object names): Frame1, chkNetwork, Label2, ckTest, cboEdit, cmdBrowse, cmdHelp.
// The rows were control arrays in older forms; each element is its own widget named
// <array>_<index>:
//   lblEdit_0 "Station Number"      cboEdit (station list)
//   lblEdit_1 "Import/Export Path"  txtEdit_0  cmdBrowsePath_0 "..."
//   lblEdit_2 "Data Path"           txtEdit_1  cmdBrowsePath_1 "..."
//   cmdOkCancel_0 "F10 Accept"      cmdOkCancel_1 "Esc Cancel"
// Keys reach the form before its controls: a function key presses the button that names it
// (F10 accept, F1 help; F2 names a button without an action), Esc cancels.
class frmSM_DATAPATH2 : public QDialog {
    Q_OBJECT
public:
    // The browser is the one the "..." buttons open; it must outlive the dialog.
    frmSM_DATAPATH2(clsDataPath& dataPath, frmSMFILE_PATH& browser, QWidget* parent = nullptr);

    // Shows the dialog modally over dataPath and returns when it has closed.
    static void showModal(clsDataPath& dataPath, frmSMFILE_PATH& browser);

    bool Loaded() const { return Loaded_; }
    // The text box that last had the focus: 0 import/export, 1 data folder.
    int CurrentEdit() const { return CurrentEdit_; }

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void load();
    void layoutRows();
    void selectStation();
    void updateOk();
    bool handleKey(QKeyEvent* event);
    void onBrowsePath(int row);
    void onTestClicked(bool checked);
    void onOk();
    void onHelp();

    clsDataPath& dataPath_;
    frmSMFILE_PATH& browser_;
    bool Loaded_ = false;
    int CurrentEdit_ = 0;

    QGroupBox* Frame1_ = nullptr;
    std::array<QLabel*, 3> lblEdit_{};
    std::array<QLineEdit*, 2> txtEdit_{};
    std::array<QPushButton*, 2> cmdBrowsePath_{};
    QComboBox* cboEdit_ = nullptr;
    QCheckBox* chkNetwork_ = nullptr;
    QLabel* Label2_ = nullptr;
    QCheckBox* ckTest_ = nullptr;
    QPushButton* cmdBrowse_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    std::array<QPushButton*, 2> cmdOkCancel_{};
};

}  // namespace qv
