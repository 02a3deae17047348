#include "entries/FlexGrid.h"

#include <QCoreApplication>
#include <QEvent>
#include <QResizeEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>

namespace {
const QEvent::Type kHeaderEvent = QEvent::Type(QEvent::registerEventType());
} // namespace

FlexGridModel::FlexGridModel(int columns, int rows, QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(columns)
    , m_rows(std::max(1, rows))
    , m_header(size_t(columns))
{
}

FlexGridModel::~FlexGridModel() = default;

QString *FlexGridModel::cell(int row, int column, bool allocate)
{
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns)
        return nullptr;
    if (row == 0)
        return &m_header[size_t(column)];
    const size_t page = size_t(row - 1) / kPageRows;
    if (page >= m_pages.size()) {
        if (!allocate)
            return nullptr;
        m_pages.resize(page + 1);
    }
    if (!m_pages[page]) {
        if (!allocate)
            return nullptr;
        m_pages[page] = std::make_unique<QString[]>(size_t(kPageRows) * size_t(m_columns));
    }
    const size_t inPage = size_t(row - 1) % kPageRows;
    return &m_pages[page][inPage * size_t(m_columns) + size_t(column)];
}

const QString *FlexGridModel::cell(int row, int column) const
{
    return const_cast<FlexGridModel *>(this)->cell(row, column, false);
}

QString FlexGridModel::text(int row, int column) const
{
    const QString *c = cell(row, column);
    return c ? *c : QString();
}

void FlexGridModel::setText(int row, int column, const QString &text)
{
    QString *c = cell(row, column, !text.isEmpty());
    if (!c)
        return;
    *c = text;
    if (row == 0) {
        // The header view measures every header text on each notice; a
        // running total rewritten per entry of a backlog is noticed once.
        if (m_headerFirst < 0)
            QCoreApplication::postEvent(this, new QEvent(kHeaderEvent));
        m_headerFirst = m_headerFirst < 0 ? column : std::min(m_headerFirst, column);
        m_headerLast = std::max(m_headerLast, column);
    } else
        emit dataChanged(index(row - 1, column), index(row - 1, column), {Qt::DisplayRole});
}

void FlexGridModel::setRowTexts(int row, const QString *texts, int count)
{
    if (row <= 0 || row >= m_rows)
        return;
    count = std::min(count, m_columns);
    QString *first = cell(row, 0, true);
    std::copy(texts, texts + count, first);
    emit dataChanged(index(row - 1, 0), index(row - 1, count - 1), {Qt::DisplayRole});
}

void FlexGridModel::setGridRows(int rows)
{
    rows = std::max(1, rows);
    if (rows == m_rows)
        return;
    if (rows > m_rows) {
        beginInsertRows({}, m_rows - 1, rows - 2);
        m_rows = rows;
        endInsertRows();
        return;
    }
    beginRemoveRows({}, rows - 1, m_rows - 2);
    // Drop whole pages past the new end and empty the rest of the last one.
    const size_t dataRows = size_t(rows - 1);
    const size_t keepPages = (dataRows + kPageRows - 1) / kPageRows;
    if (m_pages.size() > keepPages)
        m_pages.resize(keepPages);
    if (keepPages > 0 && keepPages <= m_pages.size() && m_pages[keepPages - 1]) {
        const size_t used = dataRows - (keepPages - 1) * kPageRows;
        QString *page = m_pages[keepPages - 1].get();
        std::fill(page + used * size_t(m_columns), page + size_t(kPageRows) * size_t(m_columns),
                  QString());
    }
    m_rows = rows;
    endRemoveRows();
}

void FlexGridModel::clearAll()
{
    std::fill(m_header.begin(), m_header.end(), QString());
    m_pages.clear();
    emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    if (m_rows > 1)
        emit dataChanged(index(0, 0), index(m_rows - 2, m_columns - 1), {Qt::DisplayRole});
}

bool FlexGridModel::event(QEvent *event)
{
    if (event->type() != kHeaderEvent)
        return QAbstractTableModel::event(event);
    const int first = m_headerFirst;
    const int last = m_headerLast;
    m_headerFirst = m_headerLast = -1;
    if (first >= 0)
        emit headerDataChanged(Qt::Horizontal, first, last);
    return true;
}

size_t FlexGridModel::allocatedPages() const
{
    return size_t(std::count_if(m_pages.begin(), m_pages.end(),
                                [](const auto &page) { return bool(page); }));
}

int FlexGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int FlexGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant FlexGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const QString *c = cell(index.row() + 1, index.column());
    return c ? QVariant(*c) : QVariant(QString());
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= m_columns)
        return {};
    return m_header[size_t(section)];
}

namespace {
const QEvent::Type kScrollEvent = QEvent::Type(QEvent::registerEventType());
} // namespace

FlexGrid::FlexGrid(int columns, int rows, QWidget *parent)
    : QTableView(parent)
    , m_model(new FlexGridModel(columns, rows, this))
{
    setModel(m_model);
    // No per-row header state: rows all share one fixed height.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(240 / kTwipsPerPixel);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setFixedHeight(240 / kTwipsPerPixel + 2);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    connect(this, &QTableView::clicked, this, [this](const QModelIndex &index) {
        m_row = index.row() + 1;
        m_col = index.column();
        emit cellClicked();
    });
    // Any other scrolling (the user, a current cell brought into view)
    // overrides a top row still waiting to be applied.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (!m_scrolling)
            m_pendingTopRow = 0;
    });
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_pendingTopRow > 0)
            m_pendingTopRow = std::min(m_pendingTopRow, highestTopRow());
    });
}

int FlexGrid::colWidth(int column) const
{
    return horizontalHeader()->sectionSize(column) * kTwipsPerPixel;
}

void FlexGrid::setColWidth(int column, int twips)
{
    horizontalHeader()->resizeSection(column, std::max(1, twips / kTwipsPerPixel));
}

void FlexGrid::widenTo(int column, int pixels)
{
    if (horizontalHeader()->sectionSize(column) < pixels)
        horizontalHeader()->resizeSection(column, pixels);
}

void FlexGrid::widenForHeader(int column, const QString &text)
{
    // What the style keeps of a section for its label.
    QHeaderView *header = horizontalHeader();
    QStyleOptionHeader option;
    option.initFrom(header);
    constexpr int kProbe = 1000;
    option.rect = QRect(0, 0, kProbe, header->height());
    const int margins
        = kProbe - header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
    widenTo(column, header->fontMetrics().horizontalAdvance(text) + margins);
}

void FlexGrid::widenForCells(int column, const QString &text)
{
    // The style's text margin on both sides, and the grid line.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    widenTo(column, fontMetrics().horizontalAdvance(text) + 2 * margin + 1);
}

void FlexGrid::setRow(int row)
{
    m_row = std::clamp(row, 0, rows() - 1);
    if (m_row > 0)
        setCurrentIndex(m_model->index(m_row - 1, m_col));
}

void FlexGrid::setCol(int column)
{
    m_col = std::clamp(column, 0, cols() - 1);
    if (m_row > 0)
        setCurrentIndex(m_model->index(m_row - 1, m_col));
}

int FlexGrid::topRow() const
{
    return m_pendingTopRow > 0 ? m_pendingTopRow : verticalScrollBar()->value() + 1;
}

void FlexGrid::setTopRow(int row)
{
    // Scrolling the view makes its row header walk every row it holds; done
    // per entry of a long backlog that work grows with the square of it.
    m_pendingTopRow = std::clamp(row, 1, highestTopRow());
    if (!m_scrollPosted) {
        m_scrollPosted = true;
        QCoreApplication::postEvent(this, new QEvent(kScrollEvent));
    }
}

int FlexGrid::highestTopRow() const
{
    return std::max(1, rows() - fullyVisibleRows());
}

void FlexGrid::scrollToPendingTopRow()
{
    m_scrollPosted = false;
    if (m_pendingTopRow == 0)
        return;
    const int value = m_pendingTopRow - 1;
    m_pendingTopRow = 0;
    // Rows added since the last layout are not yet in the scroll range.
    if (verticalScrollBar()->maximum() < value)
        updateGeometries();
    m_scrolling = true;
    verticalScrollBar()->setValue(value);
    m_scrolling = false;
}

bool FlexGrid::event(QEvent *event)
{
    if (event->type() == kScrollEvent) {
        scrollToPendingTopRow();
        return true;
    }
    return QTableView::event(event);
}

bool FlexGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        // The rows that scrolled the grid to its last row can bring up the
        // horizontal scroll bar only afterwards; the row it would cover is
        // brought back into view.
        const auto *resize = static_cast<QResizeEvent *>(event);
        const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
        const int last = rows() - 1;
        if (resize->size().height() < resize->oldSize().height() && last >= 1
            && topRow() + resize->oldSize().height() / rowHeight > last)
            showLastRow();
    }
    return QTableView::viewportEvent(event);
}

int FlexGrid::fullyVisibleRows() const
{
    const int height = verticalHeader()->defaultSectionSize();
    return std::max(1, viewport()->height() / std::max(1, height));
}

bool FlexGrid::rowIsVisible(int row) const
{
    if (row == 0)
        return true;
    const int top = topRow();
    return row >= top && row < top + fullyVisibleRows();
}

void FlexGrid::showLastRow()
{
    const int last = rows() - 1;
    if (last < 1 || rowIsVisible(last))
        return;
    // The end state of stepping the top row down one at a time.
    setTopRow(std::max(1, last - fullyVisibleRows() + 1));
}
