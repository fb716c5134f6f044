#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTableWidget>
#include <vector>

class QTableWidgetItem;

namespace qv {

// Layout numbers of the lookup are kept in twips, the unit its design was drawn in; this is
// the one place they turn into pixels and back: 15 twips a pixel (1440 twips an inch at 96
// pixels an inch), rounded to the nearest pixel.
inline constexpr int kTwipsPerPixel = 15;
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}
constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// Cell alignments as the lookup's column definitions give them: 0 to 8 are left, centre,
// right (in threes) by top, centre, bottom; 9 is the general alignment (left).
namespace grid_align {
inline constexpr int LeftCenter = 1;
inline constexpr int CenterCenter = 4;
}  // namespace grid_align

// The lookup's result grid: a fixed header row (row 0) above the data rows (1 to Rows - 1),
// per-cell text, column widths and alignment in twips, and whole-row selection, with the
// events the lookup relies on. It drives a QTableWidget it does not own (and must not be used
// once that table is gone): row 0 is the table's horizontal header, data row r is the table's
// row r - 1.
//
// The table's own keyboard navigation is taken over: Page Up, Page Down, Up, Down, Home,
// End and Enter are reported through keyDown() and never move the selection by themselves,
// so that the lookup decides what a key does.
class GridControl : public QObject {
    Q_OBJECT
public:
    explicit GridControl(QTableWidget* table, QObject* parent = nullptr);

    QTableWidget* table() const { return table_; }

    // Rows, header row included; Cols.
    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);

    // The current cell and the last column of the selection. Setting Row selects from Col to
    // ColSel on that row; a data row below 1 or past the end is refused.
    int Row() const { return row_; }
    void setRow(int row);
    int Col() const { return col_; }
    void setCol(int col);
    int ColSel() const { return colSel_; }
    void setColSel(int col);
    // Row, Col at first, ColSel at last, in one step.
    void selectRow(int row, int firstCol, int lastCol);

    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // The text of the current cell.
    QString Text() const { return TextMatrix(row_, col_); }
    void setText(const QString& text) { setTextMatrix(row_, col_, text); }
    // True when every cell of the row is blank.
    bool RowIsBlank(int row) const;

    int ColWidth(int col) const;  // twips; a hidden column is 0
    void setColWidth(int col, int twips);
    // Colour of the column's data cells.
    void setColBackColor(int col, const QColor& colour);
    int ColAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    int RowHeight(int row) const;  // twips
    void setRowHeight(int row, int twips);
    // The height every data row has unless given its own, rows added later included.
    void setDefaultRowHeight(int twips);

    // Formatting of the current cell (row_, col_).
    void setCellAlignment(int alignment);
    void setCellBackColor(const QColor& colour);
    void setCellForeColor(const QColor& colour);
    void setCellFont(bool bold, double pointSize);

    // Word wrap of the header captions.
    void setWordWrap(bool on);
    bool WordWrap() const { return wordWrap_; }
    // Whether the selection is painted; switched off while a page is written.
    void setHighLight(bool on);
    bool HighLight() const { return highLight_; }

    // Empties every cell, headers included.
    void Clear();

    // Height and width of the grid control in twips.
    int HeightTwips() const;
    int ViewportHeightTwips() const;
    int WidthTwips() const;
    // Makes the grid as wide as its columns (frame and scroll bar included).
    void setWidthTwips(int columnsTwips);

    // The data row shown at a point of the table's viewport, or -1.
    int RowAt(int viewportY) const;

Q_SIGNALS:
    void doubleClicked(int row);
    void headerClicked(int col);
    void mouseReleased(int row);
    // A key pressed in the grid; handled tells the table to leave it alone.
    void keyDown(int key, Qt::KeyboardModifiers modifiers, bool* handled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidgetItem* headerItem(int col) const;
    QTableWidgetItem* cell(int row, int col) const;
    QTableWidgetItem* ensureCell(int row, int col);
    void applySelection();

    QTableWidget* table_;
    // What the filter watches, compared as plain objects: the table may be part way through
    // its destruction when its last events arrive.
    const QObject* watchedTable_;
    const QObject* watchedViewport_;
    int row_ = 0;
    int col_ = 0;
    int colSel_ = 0;
    bool wordWrap_ = false;
    bool highLight_ = true;
    std::vector<int> colAlign_;
    std::vector<QColor> colBack_;
};

}  // namespace qv
