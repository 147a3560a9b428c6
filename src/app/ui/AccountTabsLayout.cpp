// The tabs "ポートフォリオ" and "口座": trees that stretch with the page
// height, with the controls below them moving along.

#include "app/ui/PellagoUnit1.h"
#include "app/ui/WidgetFactory.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>

using namespace ui;

namespace {

constexpr int kFrameLeft = 4;
constexpr int kFrameTop = 4;
constexpr int kInnerX = 8;
constexpr int kTreeTop = 16;

QGroupBox* MakeFrame(QWidget* parent, const char* name, const QString& title, int width)
{
    auto* frame = Named(new QGroupBox(title, parent), name);
    frame->setGeometry(kFrameLeft, kFrameTop, width, 300);
    return frame;
}

QFrame* MakeLowerFrame(QWidget* parent, const char* name, int width, int height)
{
    auto* frame = Named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setGeometry(kFrameLeft, 320, width, height);
    return frame;
}

QTreeWidget* MakeTree(QWidget* parent, const char* name, int width)
{
    auto* tree = Named(new QTreeWidget(parent), name);
    tree->setHeaderHidden(true);
    tree->setGeometry(kInnerX, kTreeTop, width, 200);
    return tree;
}

void MoveTop(QWidget* widget, int top) { widget->move(widget->x(), top); }

} // namespace

void TPellagoForm::BuildPortfolioTab()
{
    QWidget* tab = TabSheet2;
    const int frameWidth = contentWidth_ + 8;
    const int innerWidth = contentWidth_ - 8;
    GroupBox1 = MakeFrame(tab, "GroupBox1", QStringLiteral("ポートフォリオ"), frameWidth);
    TreeView2 = MakeTree(GroupBox1, "TreeView2", innerWidth);
    Label9 = MakeLabel(GroupBox1, "Label9", QStringLiteral("レバレッジ"), kInnerX, 0);
    ValueListEditor1 = Named(new QTableWidget(0, 2, GroupBox1), "ValueListEditor1");
    ValueListEditor1->setHorizontalHeaderLabels({QStringLiteral("口座"), QStringLiteral("レバレッジ")});
    ValueListEditor1->verticalHeader()->hide();
    ValueListEditor1->horizontalHeader()->setStretchLastSection(true);
    ValueListEditor1->setGeometry(kInnerX, 0, innerWidth, 60);

    Bevel1 = MakeLowerFrame(tab, "Bevel1", frameWidth, 40);
    Button9 = MakeButton(tab, "Button9", QStringLiteral("最新のポートフォリオ一覧を取得"),
                         QRect(kFrameLeft + 8, 0, innerWidth, 26));
}

void TPellagoForm::BuildAccountTab()
{
    QWidget* tab = TabSheet3;
    const int frameWidth = contentWidth_ + 8;
    const int innerWidth = contentWidth_ - 8;
    GroupBox2 = MakeFrame(tab, "GroupBox2", QStringLiteral("口座"), frameWidth);
    TreeView1 = MakeTree(GroupBox2, "TreeView1", innerWidth);
    Label10 = MakeLabel(GroupBox2, "Label10", QStringLiteral("値"), kInnerX, 0);
    EditXMLValue = MakeEdit(GroupBox2, "EditXMLValue", 30, 0, innerWidth - 22);
    ComboXMLValue = Named(new QComboBox(GroupBox2), "ComboXMLValue");

    Bevel2 = MakeLowerFrame(tab, "Bevel2", frameWidth, 96);
    Label11 = MakeLabel(tab, "Label11", QStringLiteral("新しく口座を追加"), kFrameLeft + 8, 0);
    Label11->setAutoFillBackground(true);
    Label12 = MakeLabel(tab, "Label12", QStringLiteral("新規口座"), kFrameLeft + 8, 0);
    ComboBox1 = Named(new QComboBox(tab), "ComboBox1");
    ComboBox1->setGeometry(70, 0, kFrameLeft + frameWidth - 8 - 70, 22);
    Button3 = MakeButton(tab, "Button3", QStringLiteral("口座を追加"), QRect(kFrameLeft + 8, 0, innerWidth, 25));
    Button2 = MakeButton(tab, "Button2", QStringLiteral("最新の対応口座一覧を取得"),
                         QRect(kFrameLeft + 8, 0, innerWidth, 25));
    // Adding needs a broker entry from the template.
    Button3->setEnabled(false);
}

void TPellagoForm::StretchLeftTabs()
{
    const int pageHeight = TabSheet2->height();

    const int portfolioFrame = pageHeight - GroupBox1->y() - Bevel1->height() - 42;
    GroupBox1->resize(GroupBox1->width(), portfolioFrame);
    TreeView2->resize(TreeView2->width(), portfolioFrame - ValueListEditor1->height() - 46);
    MoveTop(Label9, TreeView2->geometry().bottom() + 1 + 6);
    MoveTop(ValueListEditor1, Label9->y() + 18);
    MoveTop(Bevel1, GroupBox1->geometry().bottom() + 1 + 10);
    MoveTop(Button9, Bevel1->y() + 6);

    const int accountFrame = TabSheet3->height() - GroupBox2->y() - Bevel2->height() - 42;
    GroupBox2->resize(GroupBox2->width(), accountFrame);
    TreeView1->resize(TreeView1->width(), accountFrame - 45);
    MoveTop(EditXMLValue, TreeView1->geometry().bottom() + 1 + 4);
    ComboXMLValue->setGeometry(EditXMLValue->geometry());
    MoveTop(Label10, EditXMLValue->y() + 5);
    MoveTop(Bevel2, GroupBox2->geometry().bottom() + 1 + 10);
    MoveTop(Label11, Bevel2->y() - 4);
    MoveTop(Label12, Label11->y() + 18);
    MoveTop(ComboBox1, Label12->y() - 3);
    MoveTop(Button3, ComboBox1->y() + 27);
    MoveTop(Button2, Button3->y() + 27);
}
