// The right-hand side: the settings panel (hidden until opened), the
// status-page browser and the log memo, one above the other on a splitter.

#include "app/ui/PellagoUnit1.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/WidgetFactory.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWebEngineView>

using namespace ui;

namespace {

QWidget* AddPage(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* page = Named(new QWidget, name);
    pages->addTab(page, caption);
    return page;
}

// A caption label left of a value field on the model-case page.
QLineEdit* LabelledEdit(QWidget* page, const char* labelName, const QString& caption, const char* editName,
                        int y, const QString& text)
{
    MakeLabel(page, labelName, caption, 30, y + 3);
    QLineEdit* edit = MakeEdit(page, editName, 190, y, 110);
    edit->setText(text);
    return edit;
}

// The log pane never shrinks below this many lines.
constexpr int kLogMinimumLines = 4;

// One font for the whole log: a face that has both the Japanese and the
// Latin glyphs keeps every line the same height.
QFont LogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

void TPellagoForm::BuildRightPanel()
{
    auto* column = new QVBoxLayout(Panel2);
    column->setContentsMargins(0, 2, 2, 0);
    Splitter1 = Named(new QSplitter(Qt::Vertical, Panel2), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    column->addWidget(Splitter1);

    BuildSettingsPanel();

    Panel3 = Named(new QWidget, "Panel3");
    auto* browserArea = new QVBoxLayout(Panel3);
    browserArea->setContentsMargins(0, 0, 0, 0);
    WebBrowser1 = Named(new QWebEngineView(Panel3), "WebBrowser1");
    WebBrowser1->setMinimumHeight(10);
    browserArea->addWidget(WebBrowser1);

    Memo1 = Named(new QPlainTextEdit, "Memo1");
    Memo1->setReadOnly(true);
    // Long lines wrap, so the time and the start of every message stay in view.
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setFont(LogFont());
    Memo1->setMinimumHeight(kLogMinimumLines * QFontMetrics(Memo1->font()).lineSpacing() + 2 * Memo1->frameWidth() + 8);

    Splitter1->addWidget(PageControl2);
    Splitter1->addWidget(Panel3);
    Splitter1->addWidget(Memo1);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setStretchFactor(2, 0);
    connect(Splitter1, &QSplitter::splitterMoved, this, &TPellagoForm::RememberLogHeight);
}

void TPellagoForm::BuildSettingsPanel()
{
    PageControl2 = Named(new QTabWidget, "PageControl2");
    TabSheet6 = AddPage(PageControl2, "TabSheet6", QStringLiteral("入出金履歴"));
    TabSheet7 = AddPage(PageControl2, "TabSheet7", QStringLiteral("機能チェック"));
    TabSheet8 = AddPage(PageControl2, "TabSheet8", QStringLiteral("モデルケース・仮想資金"));
    TabSheet9 = AddPage(PageControl2, "TabSheet9", QStringLiteral("その他"));

    // 入出金履歴
    auto* inOut = new QVBoxLayout(TabSheet6);
    Label30 = Named(new QLabel(QStringLiteral("※ 入出金履歴を記入すると、それらを差し引いてグラフ描画します。"
                                        "入出金額は入金をプラス、出金をマイナスで記入します (例: 出金10万円は -100000)")), "Label30");
    Label30->setWordWrap(true);
    StringGrid1 = Named(new QTableWidget(0, 3), "StringGrid1");
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("日時"), QStringLiteral("口座残高"), QStringLiteral("入出金額 (出金は−)")});
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    inOut->addWidget(Label30);
    inOut->addWidget(StringGrid1, 1);
    Button17 = MakeButton(TabSheet6, "Button17", QStringLiteral("反映"), QRect(0, 0, 60, 24));
    Button17->hide();
    Memo2 = Named(new QPlainTextEdit(TabSheet6), "Memo2");
    Memo2->hide();

    // 機能チェック
    Button18 = MakeButton(TabSheet7, "Button18", QStringLiteral("アップデートテスト"), QRect(10, 10, 150, 28));
    Button19 = MakeButton(TabSheet7, "Button19", QStringLiteral("Pellago再起動テスト"), QRect(170, 10, 150, 28));
    Button20 = MakeButton(TabSheet7, "Button20", QStringLiteral("自動復活テスト"), QRect(330, 10, 150, 28));
    Button16 = MakeButton(TabSheet7, "Button16", QStringLiteral("監視アプリを開始"), QRect(490, 10, 120, 28));
    Button16->hide();
    // The buttons share the tab's width, so a narrow panel cuts none of them off.
    auto* checks = new QHBoxLayout(TabSheet7);
    checks->setContentsMargins(10, 10, 10, 10);
    for (QPushButton* button : {Button18, Button19, Button20, Button16})
        checks->addWidget(button, 0, Qt::AlignTop);

    // モデルケース・仮想資金
    QWidget* model = TabSheet8;
    MakeLabel(model, "Label31", QStringLiteral("対象口座"), 10, 11);
    ComboBox3 = Named(new QComboBox(model), "ComboBox3");
    ComboBox3->setGeometry(80, 8, 220, 22);
    CheckBox29 = MakeCheck(model, "CheckBox29", QStringLiteral("モデルケースのポートフォリオに自動追随"), 10, 34, 320);
    Edit12 = LabelledEdit(model, "Label32", QStringLiteral("レバレッジ適用比率(%)"), "Edit12", 54, QStringLiteral("100"));
    CheckBox23 = MakeCheck(model, "CheckBox23", QStringLiteral("仮想資金モードをON"), 10, 80, 320);
    MakeLabel(model, "Label33", QStringLiteral("実資金(円)"), 30, 103);
    Label36 = MakeLabel(model, "Label36", QString(), 190, 103);
    Label36->setMinimumWidth(110);
    Edit13 = LabelledEdit(model, "Label34", QStringLiteral("仮想資金(円)"), "Edit13", 120, QStringLiteral("10"));
    Edit15 = LabelledEdit(model, "Label35", QStringLiteral("差額(円)"), "Edit15", 146, QString());
    Edit14 = LabelledEdit(model, "Label37", QStringLiteral("到達金額(円)"), "Edit14", 172, QStringLiteral("10000"));
    CheckBox24 = MakeCheck(model, "CheckBox24", QStringLiteral("仮想資金との差を埋めるモードON"), 320, 172, 240);
    for (const char* hidden : {"Label37", "Edit14", "CheckBox24"})
        model->findChild<QWidget*>(QString::fromLatin1(hidden))->hide();

    // その他
    RadioGroup1 = Named(new RadioGroup(QStringLiteral("動作ログ"),
                                       {QStringLiteral("常に表示"), QStringLiteral("常に最大化して表示"),
                                        QStringLiteral("動作中のみ表示")},
                                       TabSheet9),
                        "RadioGroup1");
    RadioGroup1->setGeometry(10, 8, 260, 90);
    RadioGroup1->setItemIndex(0);
    CheckBox7 = MakeCheck(TabSheet9, "CheckBox7", QStringLiteral("各画面ごとにヘルプを表示"), 10, 108, 300);
    CheckBox7->setChecked(true);
    CheckBox25 = MakeCheck(TabSheet9, "CheckBox25", QStringLiteral("本体右上\"Ｘボタン\"でタスクトレイへ"), 10, 132, 300);
}
