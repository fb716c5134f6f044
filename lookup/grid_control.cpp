#include "lookup/grid_control.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

namespace qv {

namespace {

Qt::Alignment toQt(int alignment) {
    if (alignment < 0 || alignment > 8) {
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
    static constexpr Qt::AlignmentFlag kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                        Qt::AlignRight};
    static constexpr Qt::AlignmentFlag kVertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                      Qt::AlignBottom};
    return kHorizontal[alignment / 3] | kVertical[alignment % 3];
}

bool isNavigationKey(int key) {
    switch (key) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return true;
        default:
            return false;
    }
}

}  // namespace

GridControl::GridControl(QTableWidget* table, QObject* parent)
    : QObject(parent), table_(table), watchedTable_(table), watchedViewport_(table->viewport()) {
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection is the lookup's to set: clicks only report the row.
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setSortingEnabled(false);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setMinimumSectionSize(1);
    table_->horizontalHeader()->setMinimumSectionSize(0);
    table_->horizontalHeader()->setSectionsClickable(true);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    table_->setWordWrap(false);
    table_->installEventFilter(this);
    table_->viewport()->installEventFilter(this);

    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { emit doubleClicked(row + 1); });
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int col) { emit headerClicked(col); });
}

int GridControl::Rows() const {
    return table_->rowCount() + 1;
}

void GridControl::setRows(int rows) {
    rows = std::max(rows, 1);
    table_->setRowCount(rows - 1);
    if (row_ >= rows) {
        row_ = rows - 1;
    }
}

int GridControl::Cols() const {
    return table_->columnCount();
}

void GridControl::setCols(int cols) {
    table_->setColumnCount(std::max(cols, 0));
    col_ = std::clamp(col_, 0, std::max(cols - 1, 0));
    colSel_ = std::clamp(colSel_, 0, std::max(cols - 1, 0));
}

void GridControl::setRow(int row) {
    if (row < 0 || row >= Rows()) {
        return;
    }
    row_ = row;
    applySelection();
}

void GridControl::setCol(int col) {
    if (col < 0 || col >= Cols()) {
        return;
    }
    col_ = col;
    applySelection();
}

void GridControl::setColSel(int col) {
    if (col < 0 || col >= Cols()) {
        return;
    }
    colSel_ = col;
    applySelection();
}

void GridControl::selectRow(int row, int firstCol, int lastCol) {
    if (row < 0 || row >= Rows()) {
        return;
    }
    row_ = row;
    col_ = std::clamp(firstCol, 0, std::max(Cols() - 1, 0));
    colSel_ = std::clamp(lastCol, 0, std::max(Cols() - 1, 0));
    applySelection();
}

void GridControl::applySelection() {
    table_->clearSelection();
    if (row_ < 1 || Cols() == 0) {
        return;
    }
    const QModelIndex current = table_->model()->index(row_ - 1, col_);
    table_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    if (highLight_) {
        table_->setRangeSelected(QTableWidgetSelectionRange(row_ - 1, std::min(col_, colSel_),
                                                            row_ - 1, std::max(col_, colSel_)),
                                 true);
        table_->scrollTo(current);
    }
}

QTableWidgetItem* GridControl::headerItem(int col) const {
    return table_->horizontalHeaderItem(col);
}

QTableWidgetItem* GridControl::cell(int row, int col) const {
    if (row == 0) {
        return headerItem(col);
    }
    return table_->item(row - 1, col);
}

QTableWidgetItem* GridControl::ensureCell(int row, int col) {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) {
        return nullptr;
    }
    QTableWidgetItem* item = cell(row, col);
    if (item) {
        return item;
    }
    item = new QTableWidgetItem;
    if (row == 0) {
        table_->setHorizontalHeaderItem(col, item);
    } else {
        item->setTextAlignment(toQt(ColAlignment(col)));
        if (col < static_cast<int>(colBack_.size()) && colBack_[col].isValid()) {
            item->setBackground(colBack_[col]);
        }
        table_->setItem(row - 1, col, item);
    }
    return item;
}

QString GridControl::TextMatrix(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) {
        return {};
    }
    const QTableWidgetItem* item = cell(row, col);
    return item ? item->text() : QString();
}

void GridControl::setTextMatrix(int row, int col, const QString& text) {
    QTableWidgetItem* item = cell(row, col);
    if (!item && text.isEmpty()) {
        return;
    }
    if (!item) {
        item = ensureCell(row, col);
    }
    if (item && item->text() != text) {
        item->setText(text);
    }
}

bool GridControl::RowIsBlank(int row) const {
    for (int c = 0; c < Cols(); ++c) {
        if (!TextMatrix(row, c).trimmed().isEmpty()) {
            return false;
        }
    }
    return true;
}

int GridControl::ColWidth(int col) const {
    if (col < 0 || col >= Cols() || table_->isColumnHidden(col)) {
        return 0;
    }
    return PixelsToTwips(table_->columnWidth(col));
}

void GridControl::setColWidth(int col, int twips) {
    if (col < 0 || col >= Cols()) {
        return;
    }
    const int px = TwipsToPixels(twips);
    table_->setColumnHidden(col, px <= 0);
    if (px > 0) {
        table_->setColumnWidth(col, px);
    }
}

int GridControl::ColAlignment(int col) const {
    return col >= 0 && col < static_cast<int>(colAlign_.size()) ? colAlign_[col]
                                                                : grid_align::LeftCenter;
}

void GridControl::setColAlignment(int col, int alignment) {
    if (col < 0 || col >= Cols()) {
        return;
    }
    if (static_cast<int>(colAlign_.size()) <= col) {
        colAlign_.resize(col + 1, grid_align::LeftCenter);
    }
    colAlign_[col] = alignment;
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (QTableWidgetItem* item = table_->item(r, col)) {
            item->setTextAlignment(toQt(alignment));
        }
    }
}

void GridControl::setColBackColor(int col, const QColor& colour) {
    if (col < 0 || col >= Cols()) {
        return;
    }
    if (static_cast<int>(colBack_.size()) <= col) {
        colBack_.resize(col + 1);
    }
    colBack_[col] = colour;
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (QTableWidgetItem* item = table_->item(r, col)) {
            item->setBackground(colour);
        }
    }
}

int GridControl::RowHeight(int row) const {
    if (row == 0) {
        return PixelsToTwips(table_->horizontalHeader()->height());
    }
    if (row < 0 || row >= Rows()) {
        return 0;
    }
    return PixelsToTwips(table_->rowHeight(row - 1));
}

void GridControl::setRowHeight(int row, int twips) {
    const int px = std::max(TwipsToPixels(twips), 1);
    if (row == 0) {
        table_->horizontalHeader()->setFixedHeight(px);
    } else if (row > 0 && row < Rows()) {
        table_->setRowHeight(row - 1, px);
    }
}

void GridControl::setDefaultRowHeight(int twips) {
    table_->verticalHeader()->setDefaultSectionSize(std::max(TwipsToPixels(twips), 1));
}

void GridControl::setCellAlignment(int alignment) {
    if (QTableWidgetItem* item = ensureCell(row_, col_)) {
        Qt::Alignment a = toQt(alignment);
        if (row_ == 0 && wordWrap_) {
            item->setData(Qt::TextAlignmentRole, static_cast<int>(a) | Qt::TextWordWrap);
        } else {
            item->setTextAlignment(a);
        }
    }
}

void GridControl::setCellBackColor(const QColor& colour) {
    if (QTableWidgetItem* item = ensureCell(row_, col_)) {
        item->setBackground(colour);
    }
}

void GridControl::setCellForeColor(const QColor& colour) {
    if (QTableWidgetItem* item = ensureCell(row_, col_)) {
        item->setForeground(colour);
    }
}

void GridControl::setCellFont(bool bold, double pointSize) {
    if (QTableWidgetItem* item = ensureCell(row_, col_)) {
        QFont f = item->font();
        f.setBold(bold);
        if (pointSize > 0) {
            f.setPointSizeF(pointSize);
        }
        item->setFont(f);
    }
}

void GridControl::setWordWrap(bool on) {
    wordWrap_ = on;
    const Qt::Alignment base = Qt::AlignCenter;
    table_->horizontalHeader()->setDefaultAlignment(
        on ? Qt::Alignment(static_cast<int>(base) | Qt::TextWordWrap) : base);
    for (int c = 0; c < Cols(); ++c) {
        if (QTableWidgetItem* item = headerItem(c)) {
            int a = item->data(Qt::TextAlignmentRole).toInt();
            a = on ? (a | Qt::TextWordWrap) : (a & ~Qt::TextWordWrap);
            item->setData(Qt::TextAlignmentRole, a);
        }
    }
}

void GridControl::setHighLight(bool on) {
    if (highLight_ == on) {
        return;
    }
    highLight_ = on;
    applySelection();
}

void GridControl::Clear() {
    for (int r = 0; r < Rows(); ++r) {
        for (int c = 0; c < Cols(); ++c) {
            if (QTableWidgetItem* item = cell(r, c)) {
                item->setText(QString());
            }
        }
    }
}

int GridControl::HeightTwips() const {
    return PixelsToTwips(table_->height());
}

int GridControl::ViewportHeightTwips() const {
    return PixelsToTwips(table_->viewport()->height());
}

int GridControl::WidthTwips() const {
    return PixelsToTwips(table_->width());
}

void GridControl::setWidthTwips(int columnsTwips) {
    const int frame = 2 * table_->frameWidth();
    const int scrollBar = table_->verticalScrollBar()->sizeHint().width();
    table_->setMinimumWidth(TwipsToPixels(columnsTwips) + frame + scrollBar);
}

int GridControl::RowAt(int viewportY) const {
    const int r = table_->rowAt(viewportY);
    return r < 0 ? -1 : r + 1;
}

bool GridControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedTable_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool handled = false;
        emit keyDown(key->key(), key->modifiers(), &handled);
        return handled || isNavigationKey(key->key());
    }
    if (watched == watchedViewport_ && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = RowAt(mouse->position().toPoint().y());
        if (row > 0) {
            emit mouseReleased(row);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace qv
