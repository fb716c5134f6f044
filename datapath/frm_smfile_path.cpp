#include "datapath/frm_smfile_path.h"

#include "datapath/twips.h"
#include "platform/message_boxes.h"
#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>

namespace qv {

namespace {

// Layout in twips. The widths and button positions of the two modes are the form's own; the
// rest places the lists above the path line and the buttons below it.
constexpr int kFolderFormWidth = 4653;
constexpr int kFileFormWidth = 8025;
constexpr int kFolderPathWidth = 4275;
constexpr int kFilePathWidth = 7695;
constexpr int kFolderOkLeft = 1860;
constexpr int kFolderCancelLeft = 3150;
constexpr int kFileOkLeft = 5300;
constexpr int kFileCancelLeft = 6570;
constexpr int kMargin = 120;
constexpr int kListWidth = 4275;
constexpr int kDriveTop = 120;
constexpr int kRowHeight = 315;
constexpr int kListTop = 555;
constexpr int kListHeight = 2775;
constexpr int kFileLeft = 4575;
constexpr int kFileWidth = 3240;
constexpr int kFileListHeight = 2415;
constexpr int kToolTipTop = 3030;
constexpr int kPathTop = 3420;
constexpr int kButtonTop = 3840;
constexpr int kButtonWidth = 1215;
constexpr int kButtonHeight = 435;
constexpr int kFormHeight = 4440;

QString helpText() {
    const QString cr = QStringLiteral("\r");
    return QStringLiteral("A path is sometimes refered to as a folder or a directory.") + cr +
           QStringLiteral("Only a folder that contains the required data files can be") + cr +
           QStringLiteral("set as your path.") + cr + cr +
           QStringLiteral("VOR database files are usually located in C:\\KT.") + cr +
           QStringLiteral("Sample database files, if installed, can be found in:") + cr +
           QStringLiteral(" C:\\Program Files\\VOR Automation\\Sample Files") + cr + cr +
           QStringLiteral("You select a path by first, selecting the Drive") + cr +
           QStringLiteral("from the drop-down listbox. Then, Double-Click on") + cr +
           QStringLiteral("the folder to be used as your path.") + cr + cr +
           QStringLiteral("HELP - Shows this help box.") + cr +
           QStringLiteral("OK - Sets the chosen Path and exits.") + cr +
           QStringLiteral("CANCEL - Discards changes and exits.") + cr + cr;
}

// A DOS pattern list ("*.VOR;*.INI") as name filters; "*.*" matches names without a point too.
QStringList nameFilters(const QString& pattern) {
    QStringList out;
    for (const QString& part : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString p = part.trimmed();
        out << (p == u"*.*" ? QStringLiteral("*") : p);
    }
    if (out.isEmpty()) {
        out << QStringLiteral("*");
    }
    return out;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    // Enter must not press a button behind the user's back: only the focused one, and the
    // others by the key their caption names.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

}  // namespace

frmSMFILE_PATH::frmSMFILE_PATH(PathResolver resolver, MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), resolver_(std::move(resolver)), boxes_(boxes) {
    setObjectName(QStringLiteral("frmSMFILE_PATH"));
    setWindowTitle(QStringLiteral("Path Browser"));
    setModal(true);

    drvBrowse_ = new QComboBox(this);
    drvBrowse_->setObjectName(QStringLiteral("drvBrowse"));
    drvBrowse_->addItems(resolver_.drives());

    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    dirModel_->setReadOnly(true);
    dirBrowse_ = new QTreeView(this);
    dirBrowse_->setObjectName(QStringLiteral("dirBrowse"));
    dirBrowse_->setModel(dirModel_);
    dirBrowse_->setHeaderHidden(true);
    for (int c = 1; c < dirModel_->columnCount(); ++c) {
        dirBrowse_->hideColumn(c);
    }

    fileBrowse_ = new QListWidget(this);
    fileBrowse_->setObjectName(QStringLiteral("fileBrowse"));
    txtFileSpec_ = new QLineEdit(this);
    txtFileSpec_->setObjectName(QStringLiteral("txtFileSpec"));
    txtFileSpec_->setReadOnly(true);
    lblPath_ = new QLabel(this);
    lblPath_->setObjectName(QStringLiteral("lblPath"));
    lblToolTip_ = new QLabel(QStringLiteral("Shows Data Files in Selected Path"), this);
    lblToolTip_->setObjectName(QStringLiteral("lblToolTip"));

    cmdHelp_ = makeButton(this, "cmdHelp", QStringLiteral("F1  Help"), QStringLiteral("Show Help"));
    cmdOk_ = makeButton(this, "cmdOkCancel_0", QStringLiteral("F10  Accept"),
                        QStringLiteral("Set Path and Close"));
    cmdCancel_ = makeButton(this, "cmdOkCancel_1", QStringLiteral("Esc  Cancel"),
                            QStringLiteral("Discard and Close"));

    // Tab reads the form row by row: drive and pattern, folders and files, then the buttons.
    SetTabOrder({drvBrowse_, txtFileSpec_, dirBrowse_, fileBrowse_, cmdHelp_, cmdOk_, cmdCancel_});

    connect(drvBrowse_, &QComboBox::currentIndexChanged, this, &frmSMFILE_PATH::onDriveChanged);
    connect(dirBrowse_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &frmSMFILE_PATH::onTreeCurrentChanged);
    connect(fileBrowse_, &QListWidget::itemClicked, this, &frmSMFILE_PATH::onFileClicked);
    connect(fileBrowse_, &QListWidget::itemDoubleClicked, this,
            &frmSMFILE_PATH::onFileDoubleClicked);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmSMFILE_PATH::onHelp);
    connect(cmdOk_, &QPushButton::clicked, this, &frmSMFILE_PATH::onOk);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmSMFILE_PATH::reject);

    // The form sees every key before its controls do.
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }

    // Without settings it opens on the current drive and folder.
    showDriveRoot(drvBrowse_->currentIndex());
    if (!setFolder(QDir::currentPath())) {
        showDriveRoot(0);
        folderChanged(driveRoot(drvBrowse_->itemText(0)));
    }
    layoutForMode();
}

QString frmSMFILE_PATH::driveRoot(const QString& drive) const {
    if (drive == u"/") {
        return drive;
    }
    return QDir::cleanPath(resolver_.toNative(drive + u'\\'));
}

int frmSMFILE_PATH::driveIndexFor(const QString& nativeFolder) const {
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drvBrowse_->count(); ++i) {
        const QString root = driveRoot(drvBrowse_->itemText(i));
        const bool inside = root.endsWith(u'/')
                                ? nativeFolder.startsWith(root)
                                : (nativeFolder == root || nativeFolder.startsWith(root + u'/'));
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void frmSMFILE_PATH::showDriveRoot(int index) {
    if (index < 0) {
        return;
    }
    const QString root = driveRoot(drvBrowse_->itemText(index));
    dirModel_->setRootPath(root);
    dirBrowse_->setRootIndex(dirModel_->index(root));
}

bool frmSMFILE_PATH::setFolder(const QString& path) {
    if (path.trimmed().isEmpty()) {
        return false;
    }
    const QFileInfo info(resolver_.toNative(path));
    if (!info.isDir()) {
        return false;
    }
    const QString native = QDir::cleanPath(info.absoluteFilePath());
    const int drive = driveIndexFor(native);
    if (drive < 0) {
        return false;
    }
    if (drive != drvBrowse_->currentIndex()) {
        changingDrive_ = true;
        drvBrowse_->setCurrentIndex(drive);
        changingDrive_ = false;
        showDriveRoot(drive);
    }
    const QModelIndex index = dirModel_->index(native);
    {
        const QSignalBlocker block(dirBrowse_->selectionModel());
        if (index.isValid() && index != dirBrowse_->rootIndex()) {
            for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) {
                dirBrowse_->expand(p);
            }
            dirBrowse_->setCurrentIndex(index);
            dirBrowse_->scrollTo(index);
        } else {
            dirBrowse_->setCurrentIndex(QModelIndex());
        }
    }
    folderChanged(native);
    return true;
}

void frmSMFILE_PATH::onDriveChanged(int index) {
    if (changingDrive_ || index < 0) {
        return;
    }
    showDriveRoot(index);
    {
        const QSignalBlocker block(dirBrowse_->selectionModel());
        dirBrowse_->setCurrentIndex(QModelIndex());
    }
    folderChanged(driveRoot(drvBrowse_->itemText(index)));
}

void frmSMFILE_PATH::onTreeCurrentChanged() {
    const QModelIndex index = dirBrowse_->currentIndex();
    if (!index.isValid()) {
        return;
    }
    const QString native = QDir::cleanPath(dirModel_->filePath(index));
    if (native != current_) {
        folderChanged(native);
    }
}

void frmSMFILE_PATH::folderChanged(const QString& nativeFolder) {
    current_ = nativeFolder;
    lblPath_->setText(resolver_.toDisplay(nativeFolder));
    refreshFiles();
    if (SelectFile && fileBrowse_->count() > 0) {
        fileBrowse_->setCurrentRow(0);
    }
    if (ShowFiles) {
        cmdOk_->setEnabled(AnyFolder || fileBrowse_->count() > 0);
    }
}

void frmSMFILE_PATH::refreshFiles() {
    fileBrowse_->clear();
    if (current_.isEmpty()) {
        return;
    }
    const QString pattern = BrowseFile.trimmed().isEmpty() ? QStringLiteral("*.*") : BrowseFile;
    const QStringList files = QDir(current_).entryList(
        nameFilters(pattern), QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    fileBrowse_->addItems(files);
}

void frmSMFILE_PATH::onFileClicked() {
    if (SelectFile && fileBrowse_->count() > 0) {
        cmdOk_->setEnabled(true);
    }
}

void frmSMFILE_PATH::onFileDoubleClicked() {
    if (SelectFile && cmdOk_->isEnabled()) {
        onOk();
    }
}

void frmSMFILE_PATH::layoutForMode() {
    const bool files = ShowFiles;
    setFixedSize(twips(files ? kFileFormWidth : kFolderFormWidth), twips(kFormHeight));
    drvBrowse_->setGeometry(twipsRect(kMargin, kDriveTop, kListWidth, kRowHeight));
    dirBrowse_->setGeometry(twipsRect(kMargin, kListTop, kListWidth, kListHeight));
    txtFileSpec_->setGeometry(twipsRect(kFileLeft, kDriveTop, kFileWidth, kRowHeight));
    fileBrowse_->setGeometry(twipsRect(kFileLeft, kListTop, kFileWidth, kFileListHeight));
    lblToolTip_->setGeometry(twipsRect(kFileLeft, kToolTipTop, kFileWidth, kRowHeight));
    lblPath_->setGeometry(
        twipsRect(kMargin, kPathTop, files ? kFilePathWidth : kFolderPathWidth, kRowHeight));
    cmdHelp_->setGeometry(twipsRect(kMargin, kButtonTop, kButtonWidth, kButtonHeight));
    cmdOk_->setGeometry(
        twipsRect(files ? kFileOkLeft : kFolderOkLeft, kButtonTop, kButtonWidth, kButtonHeight));
    cmdCancel_->setGeometry(twipsRect(files ? kFileCancelLeft : kFolderCancelLeft, kButtonTop,
                                      kButtonWidth, kButtonHeight));
    txtFileSpec_->setVisible(files);
    fileBrowse_->setVisible(files);
    lblToolTip_->setVisible(files);
}

void frmSMFILE_PATH::loadSettings() {
    BrowseCancelled = true;
    if (!BrowseTitle.trimmed().isEmpty()) {
        setWindowTitle(BrowseTitle);
    }
    layoutForMode();
    // A drive or folder that cannot be set leaves the lists where they are.
    if (!BrowseDrive.trimmed().isEmpty()) {
        const int index = drvBrowse_->findText(BrowseDrive.trimmed(), Qt::MatchFixedString);
        if (index >= 0 && index != drvBrowse_->currentIndex()) {
            drvBrowse_->setCurrentIndex(index);
        }
    }
    if (!BrowsePath.trimmed().isEmpty()) {
        setFolder(BrowsePath);
    }
    cmdOk_->setEnabled(!ShowFiles);
    ApplyFormFonts(this);
}

void frmSMFILE_PATH::activate() {
    txtFileSpec_->setText(BrowseFile.trimmed().isEmpty() ? QStringLiteral("*.*") : BrowseFile);
    txtFileSpec_->setEnabled(false);
    refreshFiles();
    fileBrowse_->setEnabled(SelectFile);
}

void frmSMFILE_PATH::setVisible(bool visible) {
    // Settled before the window appears, so that it appears in its final size.
    if (visible && !isVisible()) {
        loadSettings();
        activate();
    }
    QDialog::setVisible(visible);
}

void frmSMFILE_PATH::onOk() {
    BrowseDrive = drvBrowse_->currentText();
    BrowsePath = resolver_.toDisplay(current_);
    const QListWidgetItem* item = fileBrowse_->currentItem();
    BrowseFile = item ? item->text() : QString();
    BrowseCancelled = false;
    accept();
}

void frmSMFILE_PATH::reject() {
    BrowseCancelled = true;
    QDialog::reject();
}

void frmSMFILE_PATH::onHelp() {
    boxes_.show(box::Information, QStringLiteral("Path Browser Help"), helpText());
}

bool frmSMFILE_PATH::handleKey(QKeyEvent* event) {
    if (PressFunctionKeyButton(this, event) || PressFocusedButton(this, event)) {
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        cmdCancel_->click();
        return true;
    }
    return false;
}

void frmSMFILE_PATH::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event)) {
        QDialog::keyPressEvent(event);
    }
}

bool frmSMFILE_PATH::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return handleKey(static_cast<QKeyEvent*>(event));
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qv
