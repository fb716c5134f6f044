#pragma once

#include "platform/file_system.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

namespace qv {

class MessageBoxes;

// Path browser: picks a folder (and in file mode a file) from a drive list, a folder tree and
// a file list over the real file system. The drive list offers the resolver's drives ("/" and
// each "X:" under the drive root); folders under the drive root are shown and returned in their
// DOS spelling, so a caller that starts it on "C:\KT" gets "C:\KT" back.
//
// Controls (object names): drvBrowse, dirBrowse, fileBrowse, txtFileSpec, lblPath,
// lblToolTip, cmdHelp, cmdOkCancel_0 (accept) and cmdOkCancel_1 (cancel); the last two are
// the button pair that older forms kept as one control array, index appended after "_".
//
// The caller sets the Browse... fields, shows it with exec() and reads the results. It is meant
// to be made once and kept (hidden, not deleted) so that its last settings stay readable; the
// settings are applied each time it is shown.
class frmSMFILE_PATH : public QDialog {
    Q_OBJECT
public:
    frmSMFILE_PATH(PathResolver resolver, MessageBoxes& boxes, QWidget* parent = nullptr);

    // Settings, all optional.
    QString BrowseTitle;      // caption, when not blank
    bool ShowFiles = false;   // file mode: file pattern and file list shown, OK starts disabled
    bool SelectFile = false;  // file list enabled, first file selected, double-click accepts
    bool AnyFolder = false;   // in file mode any folder enables OK
    // Start drive ("C:", "/") and start folder when not blank, file pattern (else "*.*").
    // On OK they receive the chosen drive, folder and file.
    QString BrowseDrive;
    QString BrowsePath;
    QString BrowseFile;
    bool BrowseCancelled = true;

    // The folder the folder tree stands on, as a native path.
    QString currentFolder() const { return current_; }
    // Moves the folder tree to a folder (DOS-style or native); false when there is none.
    bool setFolder(const QString& path);

    void reject() override;
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void loadSettings();
    void activate();
    void layoutForMode();
    void onDriveChanged(int index);
    void onTreeCurrentChanged();
    void folderChanged(const QString& nativeFolder);
    void refreshFiles();
    void onFileClicked();
    void onFileDoubleClicked();
    void onOk();
    void onHelp();
    QString driveRoot(const QString& drive) const;
    int driveIndexFor(const QString& nativeFolder) const;
    void showDriveRoot(int index);

    PathResolver resolver_;
    MessageBoxes& boxes_;
    QString current_;
    bool changingDrive_ = false;

    QComboBox* drvBrowse_ = nullptr;
    QTreeView* dirBrowse_ = nullptr;
    QFileSystemModel* dirModel_ = nullptr;
    QListWidget* fileBrowse_ = nullptr;
    QLineEdit* txtFileSpec_ = nullptr;
    QLabel* lblPath_ = nullptr;
    QLabel* lblToolTip_ = nullptr;
    QPushButton* cmdHelp_ = nullptr;
    QPushButton* cmdOk_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

}  // namespace qv
