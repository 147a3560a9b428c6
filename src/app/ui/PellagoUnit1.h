#pragma once
// The main window. It owns every settings control (named as the settings
// file's keys), every timer of the program and the process-wide state.
// Its creation runs the start-up sequence; its destruction writes the
// settings back. The flags it shares with the Qt-free operations live in
// app/ProcessState.h.

#include "app/AutoTradeCycle.h"
#include "app/ProcessState.h"
#include "app/ui/CommandLine.h"
#include "app/ui/FormSettings.h"

#include <QMainWindow>
#include <QString>

#include <set>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QTimer;
class QTreeWidget;
class QWebEngineView;
class RadioGroup;
class AutoTradeWiring;
class MailWiring;
class StatusPages;
class HomePcWiring;
struct ServiceSettings;

class TPellagoForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TPellagoForm(const StartOptions& options, QWidget* parent = nullptr);
    ~TPellagoForm() override;

    // --- Window state ----------------------------------------------------------
    QString SavedCaption; // caption before the automatic-mode suffix
    std::string AccountTemplatePath;
    std::string AccountXmlPath;

    // --- Left panel -----------------------------------------------------------
    QWidget* Panel1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // 全般
    QWidget* TabSheet2 = nullptr; // ポートフォリオ
    QWidget* TabSheet3 = nullptr; // 口座
    QWidget* TabSheet4 = nullptr; // ユーザ
    QWidget* TabSheet5 = nullptr; // メール

    // 全般
    QPushButton* Button7 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* Button5 = nullptr;
    QCheckBox* CheckBox9 = nullptr;
    QCheckBox* CheckBox11 = nullptr;
    QLabel* Label19 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label23 = nullptr;
    QCheckBox* CheckBox13 = nullptr;
    QDateTimeEdit* DateTimePicker1 = nullptr;
    QCheckBox* CheckBox12 = nullptr;
    QCheckBox* CheckBox18 = nullptr;
    QLabel* Label24 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QPushButton* Button14 = nullptr;
    QPushButton* Button15 = nullptr;

    // ポートフォリオ
    QGroupBox* GroupBox1 = nullptr;
    QTreeWidget* TreeView2 = nullptr;
    QLabel* Label9 = nullptr;
    QTableWidget* ValueListEditor1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* Button9 = nullptr;

    // 口座
    QGroupBox* GroupBox2 = nullptr;
    QTreeWidget* TreeView1 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* EditXMLValue = nullptr;
    QComboBox* ComboXMLValue = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button2 = nullptr;

    // ユーザ
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button6 = nullptr;
    RadioGroup* RadioGroup2 = nullptr;
    QPushButton* Button11 = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QCheckBox* CheckBox26 = nullptr;
    QCheckBox* CheckBox17 = nullptr;
    QFrame* Panel4 = nullptr;
    QLabel* Label20 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label22 = nullptr;

    // メール
    QCheckBox* CheckBox1 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox21 = nullptr;
    QCheckBox* CheckBox27 = nullptr;
    QCheckBox* CheckBox20 = nullptr;
    QCheckBox* CheckBox19 = nullptr;
    QPushButton* Button1 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox14 = nullptr;
    QCheckBox* CheckBox15 = nullptr;
    QCheckBox* CheckBox16 = nullptr;
    QCheckBox* CheckBox6 = nullptr;

    // --- Right panel ----------------------------------------------------------
    QWidget* Panel2 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet6 = nullptr; // 入出金履歴
    QWidget* TabSheet7 = nullptr; // 機能チェック
    QWidget* TabSheet8 = nullptr; // モデルケース・仮想資金
    QWidget* TabSheet9 = nullptr; // その他
    QWidget* Panel3 = nullptr;
    QWebEngineView* WebBrowser1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    // 入出金履歴
    QLabel* Label30 = nullptr;
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Button17 = nullptr;      // "反映", driven by the grid, never shown
    QPlainTextEdit* Memo2 = nullptr;      // carries the in/out list, never shown

    // 機能チェック
    QPushButton* Button18 = nullptr;
    QPushButton* Button19 = nullptr;
    QPushButton* Button20 = nullptr;
    QPushButton* Button16 = nullptr;      // "監視アプリを開始", never shown

    // モデルケース・仮想資金
    QComboBox* ComboBox3 = nullptr;
    QCheckBox* CheckBox29 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QCheckBox* CheckBox23 = nullptr;
    QLabel* Label36 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QLineEdit* Edit14 = nullptr;
    QCheckBox* CheckBox24 = nullptr;

    // その他
    RadioGroup* RadioGroup1 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox25 = nullptr;

    QLabel* StatusBar1 = nullptr;

    // --- Menus ----------------------------------------------------------------
    QMenu* PopupMainMenu = nullptr;
    QAction* ShowMailAsMail = nullptr;
    QAction* ShowMailAsText = nullptr;
    QAction* ShowMailFolder = nullptr;
    QAction* send_log = nullptr;
    QAction* export_log = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* AccountLoginTest = nullptr;
    QAction* DeleteAccount = nullptr;
    QAction* MoveAccountUp = nullptr;
    QAction* MoveAccountDown = nullptr;
    QMenu* PopupMenuExit = nullptr;
    QAction* ShowFromTray = nullptr;
    QAction* ExitProgram = nullptr;

    // --- Timers ---------------------------------------------------------------
    QTimer* AutoTradeTimer = nullptr;
    QTimer* SendMailTimer = nullptr;
    QTimer* LogMinTimer = nullptr;
    QTimer* DrawHtmlTimer = nullptr;
    QTimer* Check32770Timer = nullptr;
    QTimer* FastUpdateTimer = nullptr;
    QTimer* ReplaceWaitTimer = nullptr;
    QTimer* UserActiveCheckTimer = nullptr;
    QTimer* SetWakeUpTimer = nullptr;

    // --- Operations -------------------------------------------------------------
    // Enables or disables every control that lies directly on a tab page,
    // with the option rules that depend on others when enabling.
    void SetTabEnabled(QWidget* tab, bool enabled);
    // The same without the labels and without the dependent rules.
    void SetTabControlsEnabled(QWidget* tab, bool enabled);
    // Locks (unlock false) or unlocks every left tab and sets the log mode.
    void LockForRun(bool unlock, int logMode);

    // Settings panel over the status pages.
    void Button14Click();
    void Button15Click();
    bool SettingsPanelOpen() const { return settingsPanelOpen_; }

    // Log display: 0 always shown, 1 maximised, 2 only while messages arrive.
    void RadioGroup1Click();
    void LogMinTimerTimer();
    int SavedLogHeight() const { return savedLogHeight_; }
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // The broker entries of the fetched template, for a new account.
    void FillBrokerList(const std::vector<std::string>& brokers);
    // The portfolio tab's leverage editor changed its height (AccountScreensWiring.cpp).
    void StretchLeftTabs();

    // A second start asked this one to come to the front.
    void HandOver();
    // Closes the window and ends the message loop (also without a window).
    void CloseProgram();

    // --- Trading (AutoTradeWiring.cpp, RunAutoTrade.cpp, ServiceWiring.cpp) ----
    AutoTradeWiring& AutoTrade() const { return *autoTrade_; }
    // Mail: the queue, the report, the test mail and the menu (MailWiring.cpp).
    MailWiring& Mail() const { return *mail_; }
    // The trade run on the newest signal file (byHand: Button5).
    TradeRunResult RunAutoTrade(bool byHand);
    // The user tab's values as the service operations take them.
    ServiceSettings CurrentServiceSettings() const;

    // --- Home PC: wake-up, keep-awake, idle start, start-up entry, tray --------
    HomePcWiring& HomePc() const { return *homePc_; }

    bool Headless() const { return options_.headless; }
    const StartOptions& Options() const { return options_; }
    // The controls of section "Main", in the order they are saved and loaded.
    const StoredControls& Stored() const { return stored_; }

    // --- Status pages (src/reporting/ui) ----------------------------------------
    StatusPages& Status() const { return *statusPages_; }
    // The model-case tab's rules, run again after the status page re-enables the tab.
    void ApplyVirtualFundsRules();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Layout (MainWindowLayout.cpp and the per-tab files).
    void BuildWindow();
    void BuildGeneralTab();
    void BuildPortfolioTab();
    void BuildAccountTab();
    void BuildUserTab();
    void BuildMailTab();
    void BuildRightPanel();
    void BuildSettingsPanel();
    void BuildMenus();
    void BuildTimers();
    void CollectStoredControls();
    int LeftContentWidth() const;
    QRect FullWidth(int y, int height) const;

    // Start-up (StartUp.cpp).
    void RunStartUpSequence();
    void ArrangeWindow();
    void RestoreSettings();
    void CreateFolderTree();
    void ReportPreviousRun();
    void EnterAutoModeFromCommandLine();
    void SaveSettingsOnDestroy();

    // Option rules (OptionRules.cpp).
    void ConnectOptionRules();
    bool IsTabLocked(QWidget* tab) const { return lockedTabs_.count(tab) != 0; }
    void ApplyDependentRules(QWidget* tab);
    void ApplyMailRules();
    void ApplyProxyRule();
    void ApplyWakeUpRules();
    void ApplyDemoRule();
    void CheckBox10Click();
    void CheckBox12Click();
    void CheckBox25Click();
    void ComboBox2Change(int index);
    void PageControl1Change(int index);
    void PageControl2Change(int index);

    // Settings panel (SettingsPanel.cpp).
    void SetSettingsPanelHeight(int height);

    // Log view (LogView.cpp).
    void AttachLogView();
    void ApplyDisplayMode(int mode);
    void MirrorActivityMemo();
    void ShowMemoAtBottom();
    void RememberLogHeight();
    void ShowNewestLine();
    void ShowUserMessageBox(const std::string& text, const std::string& caption);

    TradeRunResult TradeNewestSignal();
    void EndWatchdog();

    StartOptions options_;
    AutoTradeWiring* autoTrade_ = nullptr; // a child object, created before the start-up
    MailWiring* mail_ = nullptr;           // the same
    StatusPages* statusPages_ = nullptr;   // a child object, created with the window
    HomePcWiring* homePc_ = nullptr;       // a child object, created before the start-up
    StoredControls stored_;
    std::set<QWidget*> lockedTabs_;
    bool settingsPanelOpen_ = false;
    int savedLogHeight_ = 100;
    int contentWidth_ = 221; // full-width controls of the left tabs
    bool memoFillsBrowserArea_ = false;
    std::size_t memoLinesShown_ = 0;
    QString memoFirstLine_;
    QString memoLastLine_;
};
