#include "trading/ui/PortfolioTab.h"

#include "base/Log.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentValues.h"
#include "trading/LeverageRows.h"
#include "trading/ui/AccountTrees.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTreeWidget>

#include <utility>

namespace {

constexpr int kRowHeight = 20;

// Only digits and one decimal point can be typed; every keystroke reaches
// the table, so the document follows as the user types.
class LeverageDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*\\.?[0-9]*")), editor));
        connect(editor, &QLineEdit::textEdited, this,
                [this, editor] { emit const_cast<LeverageDelegate*>(this)->commitData(editor); });
        return editor;
    }
};

QTableWidgetItem* FixedCell(const std::string& text)
{
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

PortfolioTab::PortfolioTab(const PortfolioTabControls& controls, PortfolioTabHooks hooks, QObject* parent)
    : QObject(parent), c_(controls), hooks_(std::move(hooks))
{
    c_.ValueListEditor1->setItemDelegateForColumn(1, new LeverageDelegate(c_.ValueListEditor1));
    // Rows of 20 pixels, and the editor as high as its rows: no scroll bars.
    QHeaderView* rows = c_.ValueListEditor1->verticalHeader();
    rows->setMinimumSectionSize(kRowHeight);
    rows->setDefaultSectionSize(kRowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    c_.ValueListEditor1->horizontalHeader()->setFixedHeight(kRowHeight);
    c_.ValueListEditor1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c_.ValueListEditor1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    keyColumnWidth_ = c_.ValueListEditor1->columnWidth(0);
    connect(c_.TreeView2, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeView2Change(current); });
    connect(c_.ValueListEditor1, &QTableWidget::itemChanged, this, [this] { ValueListEditor1Change(); });
}

void PortfolioTab::LoadTree()
{
    {
        const QSignalBlocker quiet(c_.TreeView2);
        c_.TreeView2->clear();
        pugi::xml_document doc;
        if (LoadAccountDocument(doc))
            FillDocumentTree(c_.TreeView2, PortfolioElement(doc));
    }
    TreeView2Change(nullptr);
}

void PortfolioTab::TreeView2Change(QTreeWidgetItem* current)
{
    filling_ = true;
    FillRows(current);
    filling_ = false;
}

void PortfolioTab::FillRows(QTreeWidgetItem* current)
{
    c_.ValueListEditor1->setRowCount(0);
    pair_.clear();
    system_.clear();
    if (!current || !current->parent())
        return;
    pugi::xml_document doc;
    if (!LoadAccountDocument(doc))
        return;
    ResizeEditor(static_cast<int>(AccountElements(doc).size()));
    pair_ = current->parent()->text(0).toStdString();
    system_ = current->text(0).toStdString();
    std::vector<TLeverageRow> rows;
    try {
        rows = ReadLeverageRows(doc, pair_, system_, !hooks_.demoMode());
    } catch (const DocumentValueError& error) {
        AddLog("[" + pair_ + " " + system_ + "] モデルケースのレバレッジを読めません: " + error.what());
    }
    const bool unavailable = rows.size() == 1 && rows.front().Account == kDemoUnavailableRowCaption;
    c_.ValueListEditor1->setColumnWidth(0, unavailable ? c_.ValueListEditor1->width() - 2 : keyColumnWidth_);
    c_.ValueListEditor1->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const TLeverageRow& row = rows[static_cast<size_t>(r)];
        c_.ValueListEditor1->setItem(r, 0, FixedCell(row.Account));
        // A model-case row follows the template; the demo notice is no row of an account.
        const bool fixed = unavailable || row.Value.find(kAutoLeverageSuffix) != std::string::npos;
        c_.ValueListEditor1->setItem(r, 1, fixed ? FixedCell(row.Value)
                                                 : new QTableWidgetItem(QString::fromStdString(row.Value)));
    }
    if (unavailable)
        system_.clear();
}

void PortfolioTab::ResizeEditor(int accounts)
{
    const int height = kRowHeight * accounts + kRowHeight + 2 * c_.ValueListEditor1->frameWidth();
    if (c_.ValueListEditor1->height() == height)
        return;
    c_.ValueListEditor1->resize(c_.ValueListEditor1->width(), height);
    hooks_.relayout();
}

void PortfolioTab::ValueListEditor1Change()
{
    if (filling_ || system_.empty())
        return;
    std::vector<std::string> values;
    for (int r = 0; r < c_.ValueListEditor1->rowCount(); ++r) {
        const QTableWidgetItem* cell = c_.ValueListEditor1->item(r, 1);
        values.push_back(cell ? cell->text().toStdString() : std::string());
    }
    // A half-typed table (an empty row) is never stored.
    if (WriteLeverageRows(pair_, system_, values))
        hooks_.refreshPage();
}
