// The window's frame: left panel with the settings tabs, right panel with
// the settings panel, the status pages and the log, the status bar, the
// pop-up menus and the timers.

#include "app/SettingsSecrets.h"
#include "app/ui/HomePcWiring.h"
#include "app/ui/PellagoUnit1.h"
#include "app/ui/TrayIcon.h"
#include "app/ui/WidgetFactory.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QProxyStyle>
#include <QTabBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

using ui::Named;

namespace {

QWidget* AddPage(QTabWidget* pages, const char* name, const QString& caption)
{
    auto* page = Named(new QWidget, name);
    pages->addTab(page, caption);
    return page;
}

// Narrower tab margins, so the five captions of the left tabs fit the panel.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace)
            return 10;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QTimer* MakeTimer(QObject* owner, const char* name, int interval, bool singleShot)
{
    auto* timer = Named(new QTimer(owner), name);
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    return timer;
}

} // namespace

void TPellagoForm::BuildWindow()
{
    setObjectName(QStringLiteral("PellagoForm"));
    setWindowTitle(QStringLiteral("Pellago"));
    setMinimumSize(756, 600);
    setGeometry(0, 0, 756, 609);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);

    Panel1 = Named(new QWidget(central), "Panel1");
    contentWidth_ = LeftContentWidth();
    Panel1->setFixedWidth(contentWidth_ + 24);
    auto* leftColumn = new QVBoxLayout(Panel1);
    leftColumn->setContentsMargins(2, 2, 0, 0);
    PageControl1 = Named(new QTabWidget(Panel1), "PageControl1");
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setDocumentMode(false);
    leftColumn->addWidget(PageControl1);
    TabSheet1 = AddPage(PageControl1, "TabSheet1", QStringLiteral("全般"));
    TabSheet2 = AddPage(PageControl1, "TabSheet2", QStringLiteral("ポートフォリオ"));
    TabSheet3 = AddPage(PageControl1, "TabSheet3", QStringLiteral("口座"));
    TabSheet4 = AddPage(PageControl1, "TabSheet4", QStringLiteral("ユーザ"));
    TabSheet5 = AddPage(PageControl1, "TabSheet5", QStringLiteral("メール"));
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(PageControl1);
    PageControl1->tabBar()->setStyle(tabStyle);

    Panel2 = Named(new QWidget(central), "Panel2");
    row->addWidget(Panel1);
    row->addWidget(Panel2, 1);
    setCentralWidget(central);

    // Created in the order of the settings file's keys (the order their
    // click rules run in when loading).
    BuildGeneralTab();
    BuildUserTab();
    BuildMailTab();
    BuildAccountTab();
    BuildPortfolioTab();
    BuildRightPanel();

    StatusBar1 = Named(new QLabel(this), "StatusBar1");
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    statusBar()->addWidget(StatusBar1, 1);

    BuildMenus();
    BuildTimers();
    CollectStoredControls();
    // The portfolio and account tabs stretch with the page height.
    TabSheet2->installEventFilter(this);
    TabSheet3->installEventFilter(this);
}

void TPellagoForm::BuildMenus()
{
    PopupMainMenu = Named(new QMenu(this), "PopupMainMenu");
    ShowMailAsMail = Named(PopupMainMenu->addAction(QStringLiteral("最新のメールログをメールとして表示(&M)")),
                           "ShowMailAsMail");
    ShowMailAsText = Named(
        PopupMainMenu->addAction(QStringLiteral("最新のメールログをテキストファイルとして表示(&M)")),
        "ShowMailAsText");
    ShowMailFolder = Named(PopupMainMenu->addAction(QStringLiteral("メールログフォルダを表示(&D)")),
                           "ShowMailFolder");
    PopupMainMenu->addSeparator();
    send_log = Named(PopupMainMenu->addAction(QStringLiteral("問題点を開発者に送信(&L)")), "send_log");
    export_log = Named(PopupMainMenu->addAction(QStringLiteral("問題点をファイルに書き出し(&F)")), "export_log");
    for (QWidget* tab : {TabSheet1, TabSheet5}) {
        tab->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(tab, &QWidget::customContextMenuRequested, this,
                [this, tab](const QPoint& at) { PopupMainMenu->popup(tab->mapToGlobal(at)); });
    }

    PopupMenu1 = Named(new QMenu(this), "PopupMenu1");
    AccountLoginTest = Named(PopupMenu1->addAction(QStringLiteral("口座ログインテスト")), "AccountLoginTest");
    DeleteAccount = Named(PopupMenu1->addAction(QStringLiteral("選択口座の削除")), "DeleteAccount");
    MoveAccountUp = Named(PopupMenu1->addAction(QStringLiteral("選択口座を一つ上に移動")), "MoveAccountUp");
    MoveAccountDown = Named(PopupMenu1->addAction(QStringLiteral("選択口座を一つ下に移動")), "MoveAccountDown");
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(TreeView1->viewport()->mapToGlobal(at)); });

    PopupMenuExit = Named(new QMenu(this), "PopupMenuExit");
    ShowFromTray = Named(PopupMenuExit->addAction(QStringLiteral("表示(&S)")), "ShowFromTray");
    connect(ShowFromTray, &QAction::triggered, this, [this] { homePc_->Tray().FromTray(); });
    ExitProgram = Named(PopupMenuExit->addAction(QStringLiteral("終了(&e)")), "ExitProgram");
    connect(ExitProgram, &QAction::triggered, this, &TPellagoForm::CloseProgram);
}

void TPellagoForm::BuildTimers()
{
    AutoTradeTimer = MakeTimer(this, "AutoTradeTimer", 5000, false);
    SendMailTimer = MakeTimer(this, "SendMailTimer", 60000, false);
    LogMinTimer = MakeTimer(this, "LogMinTimer", 3000, true);
    DrawHtmlTimer = MakeTimer(this, "DrawHtmlTimer", 200, true);
    Check32770Timer = MakeTimer(this, "Check32770Timer", 100, false);
    FastUpdateTimer = MakeTimer(this, "FastUpdateTimer", 1000, true);
    ReplaceWaitTimer = MakeTimer(this, "ReplaceWaitTimer", 60000, true);
    UserActiveCheckTimer = MakeTimer(this, "UserActiveCheckTimer", 1500, false);
    SetWakeUpTimer = MakeTimer(this, "SetWakeUpTimer", 100, false);
    connect(LogMinTimer, &QTimer::timeout, this, &TPellagoForm::LogMinTimerTimer);
}

void TPellagoForm::CollectStoredControls()
{
    static const char* const kNames[] = {
        "CheckBox9",  "CheckBox11",   "ComboBox2",     "CheckBox13", "DateTimePicker1", "CheckBox12",
        "CheckBox18", "CheckBox8",    "Edit1",         "Edit2",      "Edit6",           "RadioGroup2",
        "CheckBox10", "CheckBox26",   "CheckBox17",    "Edit11",     "CheckBox1",       "Edit3",
        "Edit7",      "Edit4",        "Edit5",         "Edit8",      "Edit9",           "Edit10",
        "CheckBox2",  "CheckBox21",   "CheckBox27",    "CheckBox20", "CheckBox19",      "CheckBox3",
        "CheckBox4",  "CheckBox5",    "CheckBox14",    "CheckBox15", "CheckBox16",      "CheckBox6",
        "ComboBox1",  "EditXMLValue", "ComboXMLValue", "ComboBox3",  "CheckBox29",      "Edit12",
        "CheckBox23", "Edit13",       "Edit15",        "Edit14",     "CheckBox24",      "RadioGroup1",
        "CheckBox7",  "CheckBox25",
    };
    stored_.controls.clear();
    for (const char* name : kNames)
        stored_.controls.push_back(findChild<QWidget*>(QString::fromLatin1(name)));
    stored_.scrambled.clear();
    for (const char* name : kScrambledSettingKeys)
        stored_.scrambled.push_back(findChild<QWidget*>(QString::fromLatin1(name)));
    stored_.integers = {{QStringLiteral("LogHeight"), &savedLogHeight_}};
}
