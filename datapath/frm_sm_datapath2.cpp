#include "datapath/frm_sm_datapath2.h"

#include "datapath/data_path.h"
#include "datapath/frm_smfile_path.h"
#include "datapath/twips.h"
#include "settings/form_helpers.h"
#include "settings/function_keys.h"
#include "settings/keyboard.h"
#include "settings/vb_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <exception>

namespace qv {

namespace {

// Layout in twips; rows are placed inside Frame1.
constexpr int kFormWidth = 6240;
constexpr int kFormHeight = 4080;
constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 60;
constexpr int kFrameWidth = 6000;
constexpr int kFrameHeight = 3180;
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1600;
constexpr int kBoxLeft = 1800;
constexpr int kBoxWidth = 3480;
constexpr int kDotsLeft = 5340;
constexpr int kDotsWidth = 495;
constexpr int kRowHeight = 315;
constexpr int kImportRowTop = 360;
constexpr int kDataRowTop = 780;
constexpr int kStationRowTop = 1200;
constexpr int kStationListWidth = 1000;
constexpr int kNetworkTop = 1680;
constexpr int kNoteLeft = 1800;
constexpr int kNoteWidth = 4080;
constexpr int kNoteHeight = 450;
constexpr int kTestTop = 2280;
constexpr int kTestWidth = 3000;
constexpr int kButtonTop = 3420;
constexpr int kButtonWidth = 1395;
constexpr int kButtonHeight = 495;
constexpr int kButtonStep = 1500;

QString helpText() {
    const QString cr = QStringLiteral("\r");
    return QStringLiteral("A valid data path is necessary before an application can run.") + cr +
           QStringLiteral("A path is also sometimes refered to as a folder or a directory.") + cr +
           cr +
           QStringLiteral("DATA PATH - The location of the VOR database files, usually C:\\KT.") +
           cr +
           QStringLiteral("You can type in the path or use the Browser to select its folder.") +
           cr + cr + QStringLiteral("STATION PATH - Location of the station's file, STA##.VOR.") +
           cr +
           QStringLiteral("You can type in the path or use the Browser to select its folder.") +
           cr + QStringLiteral("* May be disabled, if not used by an application.") + cr + cr +
           QStringLiteral("STATION - When running on a network, you can select the station") + cr +
           QStringLiteral("number being used to access the network.") + cr + cr +
           QStringLiteral("BROWSER - Select an existing path by first, selecting the") + cr +
           QStringLiteral("Drive from the drop-down listbox. Then, Double-Click on the") + cr +
           QStringLiteral("folder to be selected as your path.") + cr + cr +
           QStringLiteral("HELP - Shows this help box.") + cr + cr +
           QStringLiteral("OK - Saves changes and exits.") + cr + cr +
           QStringLiteral("CANCEL - Discards changes and exits.") + cr + cr;
}

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

QString trimTrailingSpaces(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ') {
        --end;
    }
    return text.left(end);
}

// The folder a typed text names: surrounding blanks and a trailing separator go, except the
// separator of a drive root ("C:\") or of the file system's root.
QString folderText(const QString& typed) {
    QString folder = typed.trimmed();
    const bool driveRoot = folder.size() == 3 && folder.at(1) == u':';
    if (folder.size() > 1 && !driveRoot && (folder.endsWith(u'\\') || folder.endsWith(u'/'))) {
        folder.chop(1);
    }
    return folder;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& tip = {}) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!tip.isEmpty()) {
        b->setToolTip(tip);
    }
    // Enter in a box is the user's way to ask for the browser: no button is pressed behind
    // the focus; Enter on a focused button presses that one.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const QString& tip = {}) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    if (!tip.isEmpty()) {
        l->setToolTip(tip);
    }
    return l;
}

}  // namespace

frmSM_DATAPATH2::frmSM_DATAPATH2(clsDataPath& dataPath, frmSMFILE_PATH& browser, QWidget* parent)
    : QDialog(parent), dataPath_(dataPath), browser_(browser) {
    setObjectName(QStringLiteral("frmSM_DATAPATH2"));
    setModal(true);
    buildControls();
    load();
}

void frmSM_DATAPATH2::showModal(clsDataPath& dataPath, frmSMFILE_PATH& browser) {
    frmSM_DATAPATH2 dialog(dataPath, browser);
    dialog.exec();
}

void frmSM_DATAPATH2::buildControls() {
    setFixedSize(twips(kFormWidth), twips(kFormHeight));
    Frame1_ = new QGroupBox(QStringLiteral("Select Data Path"), this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    Frame1_->setGeometry(twipsRect(kFrameLeft, kFrameTop, kFrameWidth, kFrameHeight));

    lblEdit_[0] = makeLabel(Frame1_, QStringLiteral("lblEdit_0"), QStringLiteral("Station Number"),
                            QStringLiteral("Select WorkStation's Number"));
    lblEdit_[1] =
        makeLabel(Frame1_, QStringLiteral("lblEdit_1"), QStringLiteral("Import/Export Path"),
                  QStringLiteral("Location of Station File (STA##.VOR)"));
    lblEdit_[2] = makeLabel(Frame1_, QStringLiteral("lblEdit_2"), QStringLiteral("Data Path"),
                            QStringLiteral("Location of Data Files (*.VOR)"));
    for (int i = 0; i < 2; ++i) {
        txtEdit_[i] = new QLineEdit(Frame1_);
        txtEdit_[i]->setObjectName(QStringLiteral("txtEdit_%1").arg(i));
        cmdBrowsePath_[i] =
            makeButton(Frame1_, QStringLiteral("cmdBrowsePath_%1").arg(i), QStringLiteral("..."));
    }
    cboEdit_ = new QComboBox(Frame1_);
    cboEdit_->setObjectName(QStringLiteral("cboEdit"));
    cboEdit_->setEditable(false);
    cboEdit_->setGeometry(twipsRect(kBoxLeft, kStationRowTop, kStationListWidth, kRowHeight));
    lblEdit_[0]->setGeometry(twipsRect(kLabelLeft, kStationRowTop, kLabelWidth, kRowHeight));

    chkNetwork_ = new QCheckBox(QStringLiteral("Network"), Frame1_);
    chkNetwork_->setObjectName(QStringLiteral("chkNetwork"));
    chkNetwork_->setGeometry(twipsRect(kLabelLeft, kNetworkTop, kLabelWidth, kRowHeight));
    Label2_ = makeLabel(
        Frame1_, QStringLiteral("Label2"),
        QStringLiteral("( If your data is to be kept on a networked computer, check Network. )"));
    Label2_->setWordWrap(true);
    Label2_->setGeometry(twipsRect(kNoteLeft, kNetworkTop - 60, kNoteWidth, kNoteHeight));
    ckTest_ = new QCheckBox(QStringLiteral("Flag as Training Data"), Frame1_);
    ckTest_->setObjectName(QStringLiteral("ckTest"));
    ckTest_->setGeometry(twipsRect(kLabelLeft, kTestTop, kTestWidth, kRowHeight));

    cmdBrowse_ = makeButton(this, QStringLiteral("cmdBrowse"), QStringLiteral("F2 Browse"),
                            QStringLiteral("Look for Folder with Files for Path"));
    cmdHelp_ = makeButton(this, QStringLiteral("cmdHelp"), QStringLiteral("F1 Help"),
                          QStringLiteral("Show Help"));
    cmdOkCancel_[0] = makeButton(this, QStringLiteral("cmdOkCancel_0"),
                                 QStringLiteral("F10 Accept"), QStringLiteral("Save and Close"));
    cmdOkCancel_[1] = makeButton(this, QStringLiteral("cmdOkCancel_1"),
                                 QStringLiteral("Esc Cancel"), QStringLiteral("Discard and Close"));
    // "F2 Browse" only shows whether the box with the focus can be browsed; it does nothing
    // when pressed, so Tab passes it by.
    cmdBrowse_->setFocusPolicy(Qt::NoFocus);
    const std::array<QPushButton*, 4> row{cmdBrowse_, cmdHelp_, cmdOkCancel_[0], cmdOkCancel_[1]};
    for (int i = 0; i < 4; ++i) {
        row[i]->setGeometry(
            twipsRect(kFrameLeft + i * kButtonStep, kButtonTop, kButtonWidth, kButtonHeight));
    }

    // Hidden until the loading says otherwise.
    lblEdit_[1]->setVisible(false);
    txtEdit_[0]->setVisible(false);
    txtEdit_[0]->setEnabled(false);
    cmdBrowsePath_[0]->setVisible(false);
    lblEdit_[0]->setVisible(false);
    cboEdit_->setVisible(false);

    for (int i = 0; i < 2; ++i) {
        connect(txtEdit_[i], &QLineEdit::textChanged, this, &frmSM_DATAPATH2::updateOk);
        connect(txtEdit_[i], &QLineEdit::returnPressed, this,
                [this] { cmdBrowse_->setEnabled(true); });
        connect(cmdBrowsePath_[i], &QPushButton::clicked, this, [this, i] { onBrowsePath(i); });
    }
    connect(cboEdit_, &QComboBox::activated, this, &frmSM_DATAPATH2::updateOk);
    connect(ckTest_, &QCheckBox::clicked, this, &frmSM_DATAPATH2::onTestClicked);
    connect(cmdHelp_, &QPushButton::clicked, this, &frmSM_DATAPATH2::onHelp);
    connect(cmdOkCancel_[0], &QPushButton::clicked, this, &frmSM_DATAPATH2::onOk);
    connect(cmdOkCancel_[1], &QPushButton::clicked, this, &frmSM_DATAPATH2::reject);
    // "F2 Browse" only follows the focus; it has no action of its own.

    // The form sees keys and focus changes before its controls.
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }
}

void frmSM_DATAPATH2::load() {
    Loaded_ = false;
    setWindowTitle(QStringLiteral("Set Data Path"));
    cmdOkCancel_[0]->setEnabled(false);
    if (!dataPath_.StationNumberEnabled()) {
        CurrentEdit_ = 1;
    }
    ckTest_->setChecked(dataPath_.TestPath() == u"Y");
    layoutRows();
    for (int i = 1; i <= dataPath_.MaxStations(); ++i) {
        cboEdit_->addItem(QString::number(i));
    }
    selectStation();

    const QString dataPath = dataPath_.DataPath();
    if (!dataPath.isEmpty()) {
        const QString importExport = dataPath_.ImportExportPath();
        if (importExport.toUpper() != dataPath.toUpper()) {
            txtEdit_[0]->setText(importExport);
            lblEdit_[1]->setVisible(true);
            txtEdit_[0]->setVisible(true);
            cmdBrowsePath_[0]->setVisible(true);
        } else {
            txtEdit_[0]->setText(dataPath);
        }
        txtEdit_[1]->setText(dataPath);
        chkNetwork_->setChecked(dataPath_.Network());
    } else {
        txtEdit_[0]->setText(QStringLiteral("C:\\KT"));
        txtEdit_[1]->setText(QStringLiteral("C:\\KT"));
        chkNetwork_->setChecked(false);
    }
    layoutRows();
    // One program of the suite keeps its import/export folder here as well.
    if (dataPath_.services().app.exeName.toUpper() == u"RIZEREDODEVEDEZ") {
        txtEdit_[0]->setEnabled(true);
    }
    cmdBrowse_->setEnabled(false);
    ApplyFormFonts(this);
    Loaded_ = true;
}

void frmSM_DATAPATH2::layoutRows() {
    // Without the import/export box in use the data row moves up into its place; should the
    // import/export row be showing, it takes the data row's place instead of lying under it.
    const bool dataFirst = !txtEdit_[0]->isEnabled();
    const int importTop = dataFirst ? kDataRowTop : kImportRowTop;
    const int dataTop = dataFirst ? kImportRowTop : kDataRowTop;
    lblEdit_[1]->setGeometry(twipsRect(kLabelLeft, importTop, kLabelWidth, kRowHeight));
    txtEdit_[0]->setGeometry(twipsRect(kBoxLeft, importTop, kBoxWidth, kRowHeight));
    cmdBrowsePath_[0]->setGeometry(twipsRect(kDotsLeft, importTop, kDotsWidth, kRowHeight));
    lblEdit_[2]->setGeometry(twipsRect(kLabelLeft, dataTop, kLabelWidth, kRowHeight));
    txtEdit_[1]->setGeometry(twipsRect(kBoxLeft, dataTop, kBoxWidth, kRowHeight));
    cmdBrowsePath_[1]->setGeometry(twipsRect(kDotsLeft, dataTop, kDotsWidth, kRowHeight));
    if (dataPath_.StationNumberEnabled()) {
        lblEdit_[0]->setVisible(true);
        cboEdit_->setVisible(true);
    }
    // Tab follows the rows as they now lie.
    QWidget* const importRow[] = {txtEdit_[0], cmdBrowsePath_[0]};
    QWidget* const dataRow[] = {txtEdit_[1], cmdBrowsePath_[1]};
    QWidget* const* top = dataFirst ? dataRow : importRow;
    QWidget* const* next = dataFirst ? importRow : dataRow;
    SetTabOrder({top[0], top[1], next[0], next[1], cboEdit_, chkNetwork_, ckTest_, cmdHelp_,
                 cmdOkCancel_[0], cmdOkCancel_[1]});
}

void frmSM_DATAPATH2::selectStation() {
    const int count = cboEdit_->count();
    if (count == 0) {
        return;
    }
    // Clamped before the conversion so that no stored text can overflow it.
    const auto entry = [](double v) { return static_cast<int>(std::clamp(v, -1.0, 32767.0)); };
    const double station = Val(dataPath_.Station());
    int index;
    if (station <= 0) {
        index = entry(Val(dataPath_.DefaultStation())) - 1;
    } else if (station > dataPath_.MaxStations()) {
        index = count - 1;
    } else {
        index = entry(station) - 1;
    }
    cboEdit_->setCurrentIndex(std::clamp(index, 0, count - 1));
}

void frmSM_DATAPATH2::updateOk() {
    if (txtEdit_[0]->isEnabled()) {
        if (!isBlank(txtEdit_[0]->text())) {
            cmdOkCancel_[0]->setEnabled(true);
        }
        return;
    }
    cmdOkCancel_[0]->setEnabled(!isBlank(txtEdit_[1]->text()));
}

void frmSM_DATAPATH2::onBrowsePath(int row) {
    QLineEdit* edit = txtEdit_[row];
    try {
        const QString start = trimTrailingSpaces(edit->text());
        browser_.BrowsePath = start;
        browser_.BrowseDrive = start.left(2).toUpper();
        browser_.exec();
        if (!browser_.BrowseCancelled && !browser_.BrowsePath.isEmpty()) {
            const QString chosen = browser_.BrowsePath;
            edit->setText(chosen.left(3).toUpper() + chosen.mid(3));
        }
    } catch (const std::exception& e) {
        dataPath_.services().boxes.show(box::Ok, QStringLiteral("Unexpected Error"),
                                        QString::fromLocal8Bit(e.what()));
    }
}

void frmSM_DATAPATH2::onTestClicked(bool checked) {
    if (!checked) {
        return;
    }
    dataPath_.services().boxes.show(
        box::Information, QStringLiteral("Caution"),
        QStringLiteral("Checking this box does not set up a traning directory or change your "
                       "data path ") +
            QStringLiteral("\r\n") +
            QStringLiteral("It is a manual switch that turns on or off the training flag on the "
                           "main screen "));
}

void frmSM_DATAPATH2::onOk() {
    const QString folder = folderText(txtEdit_[1]->text());
    const QString oldStation = dataPath_.Station();
    const QString oldStationPath = dataPath_.StationPath();
    const QString oldDataPath = dataPath_.DataPath();
    const bool oldNetwork = dataPath_.Network();
    dataPath_.setStation(cboEdit_->currentText());
    dataPath_.setStationPath(folder);
    dataPath_.setDataPath(folder);
    dataPath_.setNetwork(chkNetwork_->isChecked());
    if (!dataPath_.Validate(false)) {
        // Validation puts back what it was given; a rejected OK leaves the object as it was
        // before the dialog touched it.
        dataPath_.setStation(oldStation);
        dataPath_.setStationPath(oldStationPath);
        dataPath_.setDataPath(oldDataPath);
        dataPath_.setNetwork(oldNetwork);
        if (dataPath_.FieldKey() == u"STATION") {
            FocusForKeyboard(cboEdit_);
        } else if (dataPath_.FieldKey() == u"DATAPATH") {
            FocusForKeyboard(txtEdit_[1]);
        }
        return;
    }
    dataPath_.setTestPath(ckTest_->isChecked() ? QStringLiteral("Y") : QString());
    if (dataPath_.StationPath().isEmpty()) {
        dataPath_.setStationPath(dataPath_.DataPath());
    }
    dataPath_.Save();
    const QString importExport = txtEdit_[0]->text();
    if (QString::compare(importExport, QStringLiteral(" ")) > 0) {
        dataPath_.setImportExportPath(importExport);
    }
    dataPath_.setCancelled(false);
    accept();
}

void frmSM_DATAPATH2::reject() {
    dataPath_.setCancelled(true);
    QDialog::reject();
    QCoreApplication::processEvents();
}

void frmSM_DATAPATH2::onHelp() {
    dataPath_.services().boxes.show(box::Information, QStringLiteral("Station and Data Path Help"),
                                    helpText());
}

bool frmSM_DATAPATH2::handleKey(QKeyEvent* event) {
    if (PressFunctionKeyButton(this, event) || PressFocusedButton(this, event)) {
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        cmdOkCancel_[1]->click();
        return true;
    }
    return false;
}

void frmSM_DATAPATH2::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event)) {
        QDialog::keyPressEvent(event);
    }
}

bool frmSM_DATAPATH2::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        return handleKey(static_cast<QKeyEvent*>(event));
    }
    if (event->type() == QEvent::FocusIn) {
        for (int i = 0; i < 2; ++i) {
            if (watched == txtEdit_[i]) {
                CurrentEdit_ = i;
                cmdBrowse_->setEnabled(true);
                if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
                    // After the click that brought the focus has placed the cursor.
                    QTimer::singleShot(0, txtEdit_[i], &QLineEdit::selectAll);
                } else {
                    txtEdit_[i]->selectAll();  // before the first key typed
                }
            }
        }
        if (watched == cboEdit_) {
            cmdBrowse_->setEnabled(false);
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qv
