#include "reporting/ui/InOutGridView.h"

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"
#include "reporting/InOutFile.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

constexpr int kAmountColumn = 2;
constexpr int kTextInset = 6;

// Cleared, then the text drawn flush right, 6 pixels in from the top and right.
class RightAlignedCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell(option);
        initStyleOption(&cell, index);
        const QString text = cell.text;
        cell.text.clear();
        const QWidget* widget = cell.widget;
        widget->style()->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        const bool selected = cell.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(cell.rect.adjusted(0, kTextInset, -kTextInset, 0), Qt::AlignRight | Qt::AlignTop, text);
        painter->restore();
    }
};

QTableWidgetItem* Cell(const std::string& text)
{
    return new QTableWidgetItem(QString::fromStdString(text));
}

std::string CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text().toStdString() : std::string();
}

std::string ReadText(const std::string& path)
{
    std::string text;
    ReadFileBytes(path, text);
    return text;
}

} // namespace

InOutGridView::InOutGridView(QTableWidget* grid, QPushButton* applyButton, QPlainTextEdit* list)
    : QObject(grid), grid_(grid), list_(list)
{
    grid_->setItemDelegate(new RightAlignedCells(grid_));
    grid_->installEventFilter(this);
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &InOutGridView::Apply);
    connect(applyButton, &QPushButton::clicked, this, &InOutGridView::Apply);
}

void InOutGridView::Fill()
{
    EnsureFile(InOutCsvPath());
    const std::string inOut = LoadInOutLines().Text;
    rows_ = ReadInOutGrid(ReadText(BalanceCsvPath()), inOut);
    list_->setPlainText(QString::fromStdString(inOut));
    loaded_ = true;

    grid_->clearContents();
    grid_->setRowCount(static_cast<int>(rows_.Rows.size()));
    for (int row = 0; row < grid_->rowCount(); ++row) {
        const TInOutRow& line = rows_.Rows[static_cast<size_t>(row)];
        grid_->setItem(row, 0, Cell(line.Date));
        grid_->setItem(row, 1, Cell(line.Balance));
        grid_->setItem(row, kAmountColumn, Cell(line.Amount));
    }
    const int width = (grid_->width() - 23) / 3;
    for (int column = 0; column < 3; ++column) grid_->setColumnWidth(column, width);
}

void InOutGridView::SaveList()
{
    if (!loaded_) return;
    // The text box holds lines ended by LF; the file's lines end with CR LF.
    const std::string lines = ReplaceAll(list_->toPlainText().toStdString(), "\r", "");
    SaveFileAtomically(InOutCsvPath(), ReplaceAll(lines, "\n", "\r\n"));
}

void InOutGridView::Apply()
{
    for (int row = 0; row < grid_->rowCount() && static_cast<size_t>(row) < rows_.Rows.size(); ++row)
        rows_.Rows[static_cast<size_t>(row)].Amount = CellText(grid_, row, kAmountColumn);
    const std::string text = InOutListText(rows_);
    if (!SaveFileAtomically(InOutCsvPath(), text)) {
        ShowUserMessage("入出金履歴を保存できませんでした");
        return;
    }
    list_->setPlainText(QString::fromStdString(text));
    loaded_ = true;
    ExtractAccountBalance();
    emit applied();
}

bool InOutGridView::EditCurrentCell(char key)
{
    const int row = grid_->currentRow();
    if (row < 0 || grid_->currentColumn() != kAmountColumn) return true;
    const std::string text = InOutCellAfterKey(CellText(grid_, row, kAmountColumn), key);
    grid_->setItem(row, kAmountColumn, Cell(text));
    return true;
}

bool InOutGridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != grid_ || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        Apply();
        return true;
    }
    if (key->key() == Qt::Key_Backspace) return EditCurrentCell('\b');
    const QString text = key->text();
    // Printable keys are the grid's own editing; navigation keys stay the table's.
    if (text.size() == 1 && text[0].isPrint()) return EditCurrentCell(static_cast<char>(text[0].toLatin1()));
    return QObject::eventFilter(watched, event);
}
