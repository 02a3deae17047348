#pragma once
// A grid of text cells with one fixed header row, as the window's three
// grids need it: cell text by row and column, a row count that can grow to
// millions at no cost per empty row, column widths in twips, the top row,
// row visibility and a click. Row 0 is the header; rows 1.. are data rows.

#include <QAbstractTableModel>
#include <QTableView>

#include <memory>
#include <vector>

class FlexGridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    FlexGridModel(int columns, int rows, QObject *parent = nullptr);
    ~FlexGridModel() override;

    int gridRows() const { return m_rows; } // header row included
    int gridColumns() const { return m_columns; }
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    // Writes cells 0.. of one row at once: one change notice, not one per cell.
    void setRowTexts(int row, const QString *texts, int count);
    // Grows with empty rows or drops rows from the end; at least the header stays.
    void setGridRows(int rows);
    // Empties every cell, header row included; the row and column counts stay.
    void clearAll();
    // Rows that hold storage (a page of rows is allocated on its first text).
    size_t allocatedPages() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    bool event(QEvent *event) override;

private:
    static constexpr int kPageRows = 256;
    QString *cell(int row, int column, bool allocate);
    const QString *cell(int row, int column) const;

    int m_columns;
    int m_rows;
    std::vector<QString> m_header;
    std::vector<std::unique_ptr<QString[]>> m_pages; // data rows, kPageRows to a page
    // Header columns written since the last header notice; -1 when none.
    int m_headerFirst = -1;
    int m_headerLast = -1;
};

class FlexGrid final : public QTableView
{
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;

    FlexGrid(int columns, int rows, QWidget *parent = nullptr);

    FlexGridModel *gridModel() const { return m_model; }
    int rows() const { return m_model->gridRows(); }
    void setRows(int rows) { m_model->setGridRows(rows); }
    int cols() const { return m_model->gridColumns(); }
    QString textMatrix(int row, int column) const { return m_model->text(row, column); }
    void setTextMatrix(int row, int column, const QString &text) { m_model->setText(row, column, text); }
    void addItem() { setRows(rows() + 1); }
    void removeLastRow() { setRows(rows() - 1); }
    void clear() { m_model->clearAll(); }

    int colWidth(int column) const; // twips
    void setColWidth(int column, int twips);
    // Widen a column, never narrow it, so that text fits whole in its header
    // or in its data cells.
    void widenForHeader(int column, const QString &text);
    void widenForCells(int column, const QString &text);

    // The current cell, set by a click.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row);
    void setCol(int column);
    QString currentText() const { return textMatrix(m_row, m_col); }

    // The first data row shown, and whether a row is wholly in view. A new
    // top row is in force at once for these; the view itself scrolls there
    // when events next run, so a backlog of entries scrolls it only once.
    int topRow() const;
    void setTopRow(int row);
    bool rowIsVisible(int row) const;
    // Scrolls just far enough that the last row is in view.
    void showLastRow();

signals:
    // A click on a data cell, after the current cell has moved there.
    void cellClicked();

protected:
    bool event(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void widenTo(int column, int pixels);
    int fullyVisibleRows() const;
    int highestTopRow() const;
    void scrollToPendingTopRow();

    FlexGridModel *m_model;
    int m_row = 1;
    int m_col = 0;
    int m_pendingTopRow = 0; // 0: the view's own top row holds
    bool m_scrollPosted = false;
    bool m_scrolling = false;
};
