#include "lookup/frm_lookup.h"

#include "db/record_layer.h"
#include "lookup/sl_code.h"
#include "settings/form_helpers.h"
#include "settings/keyboard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qv {

namespace {

// Header colours of the sort column and of the others.
const QColor kSortHeaderBack(128, 128, 128);  // the classic inactive caption grey
const QColor kSortHeaderText(Qt::white);
const QColor kHeaderBack(212, 208, 200);  // the classic window border grey
const QColor kHeaderText(Qt::black);
constexpr int kMinimumRowHeight = 240;  // twips: one line of the grid's font

// The sort column each function key chooses, by column offset. F9 sorts by vendor, the
// column its caption names.
int sortOffsetForKey(int key) {
    switch (key) {
        case Qt::Key_F4:
            return 0;
        case Qt::Key_F5:
            return 1;
        case Qt::Key_F6:
            return 2;
        case Qt::Key_F7:
            return 3;
        case Qt::Key_F8:
            return 5;
        case Qt::Key_F9:
            return 7;
        default:
            return -1;
    }
}

bool isFunctionOrPagingKey(int key) {
    return (key >= Qt::Key_F1 && key <= Qt::Key_F12) || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown || key == Qt::Key_Up || key == Qt::Key_Down ||
           key == Qt::Key_Return || key == Qt::Key_Enter;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SpnGrid"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("SpnGrid_up"));
    up_->setArrowType(Qt::UpArrow);
    up_->setAutoRepeat(true);
    up_->setFocusPolicy(Qt::NoFocus);
    down_ = new QToolButton(this);
    down_->setObjectName(QStringLiteral("SpnGrid_down"));
    down_->setArrowType(Qt::DownArrow);
    down_->setAutoRepeat(true);
    down_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, &SpinButton::spinUp);
    connect(down_, &QToolButton::clicked, this, &SpinButton::spinDown);
}

frm_Lookup::frm_Lookup(LookupContext context, LookupEngine& engine, QWidget* parent)
    : QDialog(parent), ctx_(context), s_(context.session), engine_(engine) {
    openHelp = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    build();
    ApplyFormFonts(this);

    // Loading: the training label, a first page size, the grid laid out.
    LblTraining_->setVisible(ctx_.run.TrainingMode);
    s_.rowsPerPage = 14;
    engine_.attachGrid(grid_);
    engine_.PrepareGrid(*grid_);
    s_.helpTopic = lookup_text::HelpTopic;
    engine_.betweenRows = [] { QCoreApplication::processEvents(); };
    engine_.wildcardTicked = [this] {
        const QSignalBlocker block(ckWildcard_);
        ckWildcard_->setChecked(true);
        cmdSearch_->setVisible(true);
        cmdStop_->setVisible(true);
    };
    for (int c = 0; c < s_.gridColumns; ++c) {
        if (c == s_.sortColumn) {
            markSortColumn(c);
        } else {
            resetHeader(c);
        }
    }
    syncFromSession();
    ready_ = true;
    FocusForKeyboard(txtEditValue_);
}

frm_Lookup::~frm_Lookup() {
    engine_.betweenRows = nullptr;
    engine_.wildcardTicked = nullptr;
    engine_.attachGrid(nullptr);
}

void frm_Lookup::build() {
    setObjectName(QStringLiteral("frm_Lookup"));
    setWindowTitle(lookup_text::FormCaption);
    setModal(true);

    auto* root = new QVBoxLayout(this);

    fraPad_ = new QFrame(this);
    fraPad_->setObjectName(QStringLiteral("fraPad"));
    fraPad_->setFrameShape(QFrame::StyledPanel);
    auto* pad = new QHBoxLayout(fraPad_);
    lblPad_ = new QLabel(fraPad_);
    lblPad_->setObjectName(QStringLiteral("lblPad"));
    lblPad_->setMinimumWidth(TwipsToPixels(1800));
    txtEditValue_ = new QLineEdit(fraPad_);
    txtEditValue_->setObjectName(QStringLiteral("txtEditValue"));
    txtEditValue_->setMinimumWidth(TwipsToPixels(3000));
    ckWildcard_ = new QCheckBox(QStringLiteral("F3 Wildcard"), fraPad_);
    ckWildcard_->setObjectName(QStringLiteral("ckWildcard"));
    cmdSearch_ = makeButton(fraPad_, "cmdSearch", QStringLiteral("F11 Search"));
    cmdStop_ = makeButton(fraPad_, "cmdStop", QStringLiteral("F10 Stop"));
    Lblwait_ = new QLabel(QStringLiteral("Searching, please wait..."), fraPad_);
    Lblwait_->setObjectName(QStringLiteral("Lblwait"));
    LblTraining_ = new QLabel(QStringLiteral("Training"), fraPad_);
    LblTraining_->setObjectName(QStringLiteral("LblTraining"));
    LblTraining_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    pad->addWidget(lblPad_);
    pad->addWidget(txtEditValue_, 1);
    pad->addWidget(ckWildcard_);
    pad->addWidget(cmdSearch_);
    pad->addWidget(cmdStop_);
    pad->addWidget(Lblwait_);
    pad->addWidget(LblTraining_);
    root->addWidget(fraPad_);

    auto* middle = new QHBoxLayout;
    fgrdItems_ = new QTableWidget(this);
    fgrdItems_->setObjectName(QStringLiteral("fgrdItems"));
    fgrdItems_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    fgrdItems_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fgrdItems_->setFocusPolicy(Qt::StrongFocus);
    grid_ = new GridControl(fgrdItems_, this);
    middle->addWidget(fgrdItems_, 1);
    auto* side = new QVBoxLayout;
    cmdPage_[0] = makeButton(this, "cmdPage_0", QStringLiteral("PgUp"));
    SpnGrid_ = new SpinButton(this);
    cmdPage_[1] = makeButton(this, "cmdPage_1", QStringLiteral("PgDn"));
    side->addWidget(cmdPage_[0]);
    side->addStretch(1);
    side->addWidget(SpnGrid_);
    side->addStretch(1);
    side->addWidget(cmdPage_[1]);
    middle->addLayout(side);
    root->addLayout(middle, 1);

    auto* bottom = new QHBoxLayout;
    cmdAction_[0] = makeButton(this, "cmdAction_0", lookup_text::AcceptCaption);
    bottom->addWidget(cmdAction_[0]);
    for (int i = 1; i < 5; ++i) {
        cmdAction_[i] = makeButton(this, ("cmdAction_" + std::to_string(i)).c_str(), QString());
        bottom->addWidget(cmdAction_[i]);
    }
    cmdAdd_ = makeButton(this, "cmdAdd", QStringLiteral("Add"));
    bottom->addWidget(cmdAdd_);
    cmdEdit_ = makeButton(this, "cmdEdit_0", QStringLiteral("F12 Reset"));
    bottom->addWidget(cmdEdit_);
    bottom->addStretch(1);
    cmdHelp_ = makeButton(this, "cmdHelp", QStringLiteral("F1 Help"));
    bottom->addWidget(cmdHelp_);
    cmdExit_ = makeButton(this, "cmdExit", lookup_text::CancelCaption);
    bottom->addWidget(cmdExit_);
    root->addLayout(bottom);
    SetTabOrder({txtEditValue_, ckWildcard_, cmdSearch_, cmdStop_, fgrdItems_, cmdPage_[0],
                 cmdPage_[1], cmdAction_[0], cmdAction_[1], cmdAction_[2], cmdAction_[3],
                 cmdAction_[4], cmdAdd_, cmdEdit_, cmdHelp_, cmdExit_});

    cmdSearch_->hide();
    cmdStop_->hide();
    Lblwait_->hide();
    for (int i = 1; i < 5; ++i) {
        cmdAction_[i]->hide();
    }
    cmdAdd_->hide();

    connect(txtEditValue_, &QLineEdit::textChanged, this, &frm_Lookup::searchTextChanged);
    connect(ckWildcard_, &QCheckBox::toggled, this, &frm_Lookup::wildcardToggled);
    connect(cmdSearch_, &QPushButton::clicked, this, &frm_Lookup::search);
    connect(cmdStop_, &QPushButton::clicked, this, [this] { s_.stopRequested = true; });
    connect(cmdPage_[0], &QPushButton::clicked, this, [this] { page(paging::PageUp); });
    connect(cmdPage_[1], &QPushButton::clicked, this, [this] { page(paging::PageDown); });
    connect(SpnGrid_, &SpinButton::spinUp, this, [this] { page(paging::RowUp); });
    connect(SpnGrid_, &SpinButton::spinDown, this, [this] { page(paging::RowDown); });
    connect(cmdAction_[0], &QPushButton::clicked, this, &frm_Lookup::acceptSelection);
    connect(cmdExit_, &QPushButton::clicked, this, &frm_Lookup::cancel);
    connect(cmdEdit_, &QPushButton::clicked, this, &frm_Lookup::resetEdit);
    connect(cmdHelp_, &QPushButton::clicked, this, &frm_Lookup::showHelp);

    connect(grid_, &GridControl::doubleClicked, this, [this](int row) {
        if (row > 0) {
            grid_->setRow(row);
            acceptSelection();
        }
    });
    connect(grid_, &GridControl::headerClicked, this, &frm_Lookup::sortByColumn);
    connect(grid_, &GridControl::mouseReleased, this, [this](int row) {
        if (engine_.busy() || s_.rowRecords.empty()) {
            return;
        }
        s_.currentRow = static_cast<std::int16_t>(row);
        engine_.SelectRow(row);
    });
    connect(grid_, &GridControl::keyDown, this,
            [this](int key, Qt::KeyboardModifiers, bool* handled) {
                switch (key) {
                    case Qt::Key_PageUp:
                        page(paging::PageUp);
                        break;
                    case Qt::Key_PageDown:
                        page(paging::PageDown);
                        break;
                    case Qt::Key_Up:
                        page(paging::RowUp);
                        break;
                    case Qt::Key_Down:
                        page(paging::RowDown);
                        break;
                    case Qt::Key_Return:
                    case Qt::Key_Enter:
                        break;  // swallowed
                    default:
                        return;
                }
                *handled = true;
            });

    // The window sees every key before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }

    // Room for the columns and about fourteen rows.
    resize(std::max(sizeHint().width(), TwipsToPixels(11800)), TwipsToPixels(10800));
}

// --- window events ---------------------------------------------------------------------------

bool frm_Lookup::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        const bool handled = QDialog::event(event);
        activate();
        return handled;
    }
    return QDialog::event(event);
}

void frm_Lookup::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activate();
}

void frm_Lookup::activate() {
    s_.whereLow.clear();
    s_.whereHigh.clear();
    s_.orderFragment.clear();
    if (!ready_) {
        ctx_.run.SelectedItemID.clear();
        QTimer::singleShot(0, this, [this] { QDialog::reject(); });
        return;
    }
    s_.textEdited = false;
    cmdAction_[0]->setText(lookup_text::AcceptCaption);
    for (int i = 1; i < 5; ++i) {
        cmdAction_[i]->hide();
    }
    cmdAdd_->hide();
    for (int c = 0; c < grid_->Cols(); ++c) {
        grid_->setRow(0);
        grid_->setCol(c);
        grid_->setCellFont(true, 8);
    }
    if (txtEditValue_->isVisible() && isVisible() && !engine_.busy()) {
        int row = grid_->Row();
        if (row < 1) {
            row = std::max<int>(s_.currentRow, 1);
        }
        engine_.SelectRow(row);
        FocusForKeyboard(txtEditValue_);
    }
}

void frm_Lookup::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layRowsOut();
    if (!filled_ && ready_) {
        filled_ = true;
        const bool shown = engine_.FirstFill();
        if (!shown) {
            // Nothing to pick from: close without a selection.
            ready_ = false;
            ctx_.run.SelectedItemID.clear();
            QTimer::singleShot(0, this, [this] { QDialog::reject(); });
        }
    }
}

void frm_Lookup::layRowsOut() {
    const int rows = LookupEngine::RowsPerPageFor(grid_->HeightTwips());
    const int height = std::max(kMinimumRowHeight, grid_->ViewportHeightTwips() / rows);
    grid_->setDefaultRowHeight(height);
    engine_.ResizePage(rows);
}

void frm_Lookup::closeEvent(QCloseEvent* event) {
    if (s_.closing || !ready_) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    cancel();
}

void frm_Lookup::keyPressEvent(QKeyEvent* event) {
    // Keys that reached the window itself (no control took them).
    if (!forwarding_) {
        handleKey(this, event);
    }
    event->accept();
}

bool frm_Lookup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched != this && !forwarding_) {
        return handleKey(watched, static_cast<QKeyEvent*>(event));
    }
    return QDialog::eventFilter(watched, event);
}

bool frm_Lookup::handleKey(QObject* target, QKeyEvent* e) {
    if (!isEnabled() || !isVisible()) {
        return false;
    }
    const int key = e->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return false;  // digits always reach the focused control
    }
    const Qt::KeyboardModifiers held =
        e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);

    if (engine_.busy()) {
        // While a list is being filled only stopping and cancelling act.
        if (key == Qt::Key_Escape) {
            cancel();
            return true;
        }
        if (key == Qt::Key_F10 && cmdStop_->isVisible()) {
            s_.stopRequested = true;
            return true;
        }
        return isFunctionOrPagingKey(key);
    }

    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:  // Tab and Shift+Tab move the focus as everywhere else
        case Qt::Key_Shift:    // a modifier pressed alone types nothing and must not
        case Qt::Key_Control:  // pull the focus back to the search box
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return false;
        default:
            break;
    }
    if (!held) {
        const int offset = sortOffsetForKey(key);
        if (offset >= 0) {
            sortByColumn(offset + s_.selectOffset);
            return true;
        }
        switch (key) {
            case Qt::Key_F1:
                showHelp();
                return true;
            case Qt::Key_F2:
                acceptSelection();
                return true;
            case Qt::Key_F3:
                ckWildcard_->setChecked(true);
                return true;
            case Qt::Key_F10:
                if (cmdStop_->isVisible()) {
                    s_.stopRequested = true;
                } else {
                    acceptSelection();
                }
                return true;
            case Qt::Key_F11:
                search();
                return true;
            case Qt::Key_F12:
                resetEdit();
                return true;
            case Qt::Key_PageUp:
                page(paging::PageUp);
                return true;
            case Qt::Key_PageDown:
                page(paging::PageDown);
                return true;
            case Qt::Key_Up:
                page(paging::RowUp);
                return true;
            case Qt::Key_Down:
                page(paging::RowDown);
                return true;
            case Qt::Key_Delete:
            case Qt::Key_Backspace:
                s_.textEdited = true;
                return false;
            case Qt::Key_Escape:
                cancel();
                return true;
            case Qt::Key_Space:
                // A button or the wildcard box reached with Tab is pressed with Space; a blank
                // typed anywhere else is part of the search text.
                if (qobject_cast<QAbstractButton*>(target) &&
                    static_cast<QWidget*>(target)->hasFocus()) {
                    return false;
                }
                break;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                // Enter on a button reached with Tab presses that button, not Accept.
                if (PressFocusedButton(this, e)) {
                    return true;
                }
                break;
            default:
                break;
        }
    }

    // Anything else goes to the search box.
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        focusSearchBox();
        if (ckWildcard_->isChecked()) {
            search();
        } else {
            if (!savedText_.trimmed().isEmpty() && txtEditValue_->text() != savedText_) {
                const QSignalBlocker block(txtEditValue_);
                txtEditValue_->setText(savedText_);
            }
            acceptSelection();
        }
        return true;
    }
    if (target == txtEditValue_) {
        return false;
    }
    focusSearchBox();
    QKeyEvent copy(e->type(), key, e->modifiers(), e->text(), e->isAutoRepeat(), e->count());
    forwarding_ = true;
    QCoreApplication::sendEvent(txtEditValue_, &copy);
    forwarding_ = false;
    return true;
}

void frm_Lookup::focusSearchBox() {
    if (txtEditValue_->isVisible() && txtEditValue_->isEnabled()) {
        FocusForKeyboard(txtEditValue_);
    }
}

// --- actions -------------------------------------------------------------------------------

void frm_Lookup::acceptSelection() {
    if (!ready_) {
        return;
    }
    if (engine_.busy()) {
        s_.stopRequested = true;  // the fill ends; the row shown is what is picked
    }
    if (grid_->Row() < 1) {
        engine_.SelectRow(1);
    }
    const QString cell = engine_.SlOfRow(grid_->Row());
    if (cell.trimmed().isEmpty()) {
        return;  // a blank row holds no item
    }
    ctx_.run.SelectedItemID = SlFromDisplay(cell);
    s_.closing = true;
    QDialog::accept();
    s_.closing = false;
}

void frm_Lookup::cancel() {
    s_.whereLow.clear();
    s_.whereHigh.clear();
    s_.orderFragment.clear();
    if (s_.pickerMode) {
        ctx_.run.SelectedItemID.clear();
    }
    s_.stopRequested = true;
    QDialog::reject();
    s_.currentRow = 0;
}

void frm_Lookup::markSortColumn(int column) {
    grid_->setRow(0);
    grid_->setCol(column);
    grid_->setCellForeColor(kSortHeaderText);
    grid_->setCellBackColor(kSortHeaderBack);
    grid_->setCellFont(true, 8);
}

void frm_Lookup::resetHeader(int column) {
    grid_->setRow(0);
    grid_->setCol(column);
    grid_->setCellForeColor(kHeaderText);
    grid_->setCellBackColor(kHeaderBack);
    grid_->setCellFont(true, 10);
}

void frm_Lookup::sortByColumn(int column) {
    if (engine_.busy() || column < s_.selectOffset || column >= s_.gridColumns) {
        return;
    }
    const int row = grid_->Row();
    if (!engine_.SetSortColumn(column)) {
        // Not a sort column (the message has been shown): everything stays as it was.
        engine_.SelectRow(std::max(row, 1));
        return;
    }
    for (int c = 0; c < s_.gridColumns; ++c) {
        if (c == column) {
            markSortColumn(c);
        } else {
            resetHeader(c);
        }
    }
    syncFromSession();
    resetEdit();
    FocusForKeyboard(fgrdItems_);
    focusSearchBox();
}

void frm_Lookup::resetEdit() {
    if (engine_.busy()) {
        return;
    }
    {
        const QSignalBlocker block(ckWildcard_);
        ckWildcard_->setChecked(false);
    }
    s_.wildcardOn = false;
    {
        const QSignalBlocker block(txtEditValue_);
        txtEditValue_->clear();
    }
    savedText_.clear();
    s_.searchText.clear();
    s_.textEdited = false;
    engine_.FirstFill();
    s_.currentRow = 0;
    Lblwait_->hide();
    syncFromSession();
    afterEngine();
}

void frm_Lookup::search() {
    if (engine_.busy() || txtEditValue_->text().trimmed().isEmpty()) {
        return;
    }
    Lblwait_->show();
    s_.stopRequested = false;
    cmdAction_[0]->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    engine_.RunSearch(txtEditValue_->text());
    QApplication::restoreOverrideCursor();
    cmdAction_[0]->setEnabled(true);
    Lblwait_->hide();
    focusSearchBox();
    afterEngine();
}

void frm_Lookup::page(int code) {
    if (engine_.busy()) {
        return;
    }
    FocusForKeyboard(fgrdItems_);
    engine_.PageLookup(code);
    focusSearchBox();
}

void frm_Lookup::showHelp() {
    if (openHelp) {
        openHelp(QUrl(kHelpBaseAddress + s_.helpTopic));
    }
}

void frm_Lookup::searchTextChanged(const QString& text) {
    savedText_ = text;
    if (engine_.busy()) {
        return;  // searched for when the running fill ends
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    engine_.SearchPosition(text);
    QApplication::restoreOverrideCursor();
    if (isVisible() && isEnabled()) {
        focusSearchBox();
    }
    afterEngine();
}

void frm_Lookup::wildcardToggled(bool on) {
    s_.wildcardOn = on;
    cmdSearch_->setVisible(on || s_.sqlOrdering);
    cmdStop_->setVisible(on || s_.sqlOrdering);
    focusSearchBox();
}

void frm_Lookup::syncFromSession() {
    lblPad_->setText(s_.padLabel);
    if (!s_.formCaption.isEmpty()) {
        setWindowTitle(s_.formCaption);
    }
    cmdExit_->setText(lookup_text::CancelCaption);
    cmdAction_[3]->hide();
    cmdSearch_->setVisible(s_.wildcardOn || s_.sqlOrdering);
    cmdStop_->setVisible(s_.wildcardOn || s_.sqlOrdering);
}

// Typing that arrived while a fill ran is searched for once it has ended.
void frm_Lookup::afterEngine() {
    if (!ready_ || s_.closing || engine_.busy() || s_.wildcardOn || s_.sqlOrdering) {
        return;
    }
    const QString text = txtEditValue_->text();
    if (text != s_.searchText && text == savedText_) {
        engine_.SearchPosition(text);
    }
}

// --- opening -------------------------------------------------------------------------------

QString OpenInventoryLookup(const QString& initial, LookupContext context, QWidget* parent) {
    LookupSession& session = context.session;
    db::RecordLayer& layer = context.layer;
    session.pickerMode = true;
    context.run.SelectedItemID = initial;

    // The lookup reads through the record buffers; the caller gets its own back.
    const db::InventoryRecord inventory = layer.Inventory;
    const db::UpcRecord upc = layer.Upc;
    const bool keyFromRecord = layer.KeyFromRecord;

    LookupEngine engine(context);
    engine.SetUpInventoryColumns();
    QCoreApplication::processEvents();
    {
        frm_Lookup form(context, engine, parent);
        form.exec();
    }
    session.pickerMode = false;

    layer.Inventory = inventory;
    layer.Upc = upc;
    layer.KeyFromRecord = keyFromRecord;
    return context.run.SelectedItemID.isEmpty() ? QString() : context.run.SelectedItemID;
}

}  // namespace qv
