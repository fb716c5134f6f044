#pragma once

#include "lookup/grid_control.h"
#include "lookup/lookup_engine.h"

#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace qv {

// Two arrow buttons that report a step up or down, for moving the grid selection by a row.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

Q_SIGNALS:
    void spinUp();
    void spinDown();

private:
    QToolButton* up_;
    QToolButton* down_;
};

// Where the help topics of the suite's online documents are found.
inline const QString kHelpBaseAddress = QStringLiteral("https://docs.quorvane.com/help/");

// The item lookup window: a modal search grid over the inventory table from which the user
// picks one item (this program always opens it to pick). It is made for one lookup and
// discarded afterwards; what must outlast it lives in the LookupSession.
//
// Controls carry these object names, which tests find them by: fgrdItems (the grid),
// txtEditValue (search text), lblPad (sort field), ckWildcard, cmdSearch, cmdStop, fraPad
// (the frame of the search controls), SpnGrid (with SpnGrid_up and SpnGrid_down), Lblwait,
// LblTraining, cmdExit, cmdHelp, cmdAdd. Button arrays are numbered from 0 with an
// underscore: cmdPage_0 (page up) and cmdPage_1 (page down), cmdAction_0 (accept) to
// cmdAction_4 (hidden when picking), cmdEdit_0 (reset). The controls the suite's other
// host programs use (scan box, store list, vendor items) are not built.
//
// Keys (the window sees them before its controls; none act while it is disabled or hidden,
// digits always reach the focused control): F1 help, F2 accept, F3 wildcard on, F4 to F8
// sort by Description, SubDesc., S/L, Item ID, Dept Code, F9 sort by Vendor, F10 stop while
// the stop button shows and accept otherwise, F11 search, F12 reset, Page Up/Down and Up/Down
// page or move through the grid, Escape cancels, Enter accepts (with the wildcard box ticked
// it runs the search instead). Any other key, and any key with Shift, Ctrl or Alt held, goes
// to the search box.
class frm_Lookup : public QDialog {
    Q_OBJECT
public:
    // context and engine must outlive the window; the engine's column set must be set up.
    frm_Lookup(LookupContext context, LookupEngine& engine, QWidget* parent = nullptr);
    ~frm_Lookup() override;

    // False once the window has decided to close without a selection (nothing to show).
    bool ready() const { return ready_; }
    GridControl& grid() { return *grid_; }

    // Opens a help page; the default hands the address to the desktop's browser.
    std::function<void(const QUrl&)> openHelp;

    // The actions of the window's buttons and keys.
    void acceptSelection();
    void cancel();
    void sortByColumn(int column);
    void resetEdit();
    void search();
    void page(int code);
    void showHelp();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void build();
    void activate();
    bool handleKey(QObject* target, QKeyEvent* key);
    void markSortColumn(int column);
    void resetHeader(int column);
    void syncFromSession();
    void afterEngine();
    void searchTextChanged(const QString& text);
    void wildcardToggled(bool on);
    void focusSearchBox();
    void layRowsOut();

    LookupContext ctx_;
    LookupSession& s_;
    LookupEngine& engine_;
    GridControl* grid_ = nullptr;
    bool ready_ = false;
    bool filled_ = false;
    bool forwarding_ = false;  // a key is being handed to the search box
    QString savedText_;

    QTableWidget* fgrdItems_ = nullptr;
    QFrame* fraPad_ = nullptr;
    QLineEdit* txtEditValue_ = nullptr;
    QLabel* lblPad_ = nullptr;
    QCheckBox* ckWildcard_ = nullptr;
    QPushButton* cmdSearch_ = nullptr;
    QPushButton* cmdStop_ = nullptr;
    QPushButton* cmdPage_[2] = {};
    SpinButton* SpnGrid_ = nullptr;
    QPushButton* cmdAction_[5] = {};
    QPushButton* cmdExit_ = nullptr;
    QPushButton* cmdEdit_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdAdd_ = nullptr;
    QLabel* Lblwait_ = nullptr;
    QLabel* LblTraining_ = nullptr;
};

// Opens the lookup to pick an inventory item and waits for it to close. Returns the picked
// item's S/L code (8 characters), or an empty string when the user cancels or there is
// nothing to pick. The run's SelectedItemID holds the same value afterwards; the inventory
// and UPC record buffers are left as the caller had them.
QString OpenInventoryLookup(const QString& initial, LookupContext context,
                            QWidget* parent = nullptr);

}  // namespace qv
