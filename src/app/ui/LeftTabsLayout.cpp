// The tabs "全般", "ユーザ" and "メール" of the left panel.

#include "app/ui/PellagoUnit1.h"
#include "app/ui/RadioGroup.h"
#include "app/ui/WidgetFactory.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QStyle>

#include <algorithm>

using namespace ui;

namespace {

constexpr int kX = 8;             // left margin of the tab's controls
constexpr int kDesignedWidth = 221; // width of a full-width control as designed

// Caption of the wake-up check box for the default power action ("サスペンド");
// the eight ideographic spaces leave room for the time picker over them.
const QString kWakeFromSuspend = QStringLiteral("毎朝　　　　　　　　にサスペンドから復帰する");

// Where the time picker lies over the blanks of a check box caption.
QRect BlankArea(const QCheckBox* check, const QString& before, int blanks)
{
    const QFontMetrics metrics(check->font());
    const QStyle* style = check->style();
    const int textLeft = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check)
                         + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, check);
    const int left = check->x() + textLeft + metrics.horizontalAdvance(before);
    const int width = metrics.horizontalAdvance(QString(blanks, QChar(0x3000)));
    return QRect(left, check->y() - 1, width, 22);
}

} // namespace

int TPellagoForm::LeftContentWidth() const
{
    // The designed width, or more when this platform's font needs it for the
    // longest check box captions (they must not be cut off).
    const QFontMetrics metrics(font());
    const QStyle* style = QApplication::style();
    const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth)
                          + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
    int widest = kDesignedWidth;
    for (const QString& caption : {kWakeFromSuspend, QStringLiteral("20分間ユーザー操作がなければ自動売買を"),
                                   QStringLiteral("その日の自動売買を正常に終えたら、"),
                                   QStringLiteral("ネットワークを迂回してシグナルを受信")})
        widest = std::max(widest, indicator + metrics.horizontalAdvance(caption) + 6);
    return widest;
}

QRect TPellagoForm::FullWidth(int y, int height) const { return QRect(kX, y, contentWidth_, height); }

void TPellagoForm::BuildGeneralTab()
{
    QWidget* tab = TabSheet1;
    const int columnWidth = contentWidth_;
    Button7 = MakeButton(tab, "Button7", QStringLiteral("自動売買を実行する"), FullWidth(8, 34));
    Button8 = MakeButton(tab, "Button8", QStringLiteral("自動売買を停止する"), FullWidth(8, 34));
    CancelButton = MakeButton(tab, "CancelButton", QStringLiteral("処理を中断する"), FullWidth(8, 34));
    Button5 = MakeButton(tab, "Button5", QStringLiteral("強制的に自動売買を実行"), FullWidth(48, 26));
    Button8->hide();
    CancelButton->hide();

    CheckBox9 = MakeCheck(tab, "CheckBox9", QStringLiteral("スタートアップに登録"), kX, 88, columnWidth);
    CheckBox11 = MakeCheck(tab, "CheckBox11", QStringLiteral("その日の自動売買を正常に終えたら、"), kX, 114, columnWidth);
    Label19 = MakeLabel(tab, "Label19", QStringLiteral("OSを"), 26, 141);
    ComboBox2 = Named(new QComboBox(tab), "ComboBox2");
    ComboBox2->addItems({QStringLiteral("シャットダウン"), QStringLiteral("サスペンド"), QStringLiteral("休止状態")});
    ComboBox2->setCurrentIndex(1);
    ComboBox2->setGeometry(62, 137, 110, 22);
    Label23 = MakeLabel(tab, "Label23", QStringLiteral("する"), 178, 141);

    CheckBox13 = MakeCheck(tab, "CheckBox13", kWakeFromSuspend, kX, 166, columnWidth);
    DateTimePicker1 = Named(new QDateTimeEdit(tab), "DateTimePicker1");
    DateTimePicker1->setDisplayFormat(QStringLiteral("H:mm"));
    DateTimePicker1->setDateTime(QDateTime(QDate(2010, 1, 1), QTime(7, 0)));
    DateTimePicker1->setGeometry(BlankArea(CheckBox13, QStringLiteral("毎朝"), 8));
    DateTimePicker1->setEnabled(false);

    CheckBox12 = MakeCheck(tab, "CheckBox12", QStringLiteral("リトライ10回ごとに、OSを再起動する"), kX, 194, columnWidth);
    CheckBox18 = MakeCheck(tab, "CheckBox18", QStringLiteral("20分間ユーザー操作がなければ自動売買を"), kX, 220, columnWidth);
    Label24 = MakeLabel(tab, "Label24", QStringLiteral("開始する"), 26, 240);
    // Developer switch without a use; it only keeps its settings key.
    CheckBox8 = MakeCheck(tab, "CheckBox8", QStringLiteral("(開発用.Iniは無視する) 業者用Formを作成"), kX, 262, columnWidth);
    CheckBox8->hide();

    Button14 = MakeButton(tab, "Button14", QStringLiteral("その他設定"), FullWidth(272, 26));
    Button15 = MakeButton(tab, "Button15", QStringLiteral("設定を保存して閉じる"), FullWidth(272, 26));
    Button15->hide();
}

void TPellagoForm::BuildUserTab()
{
    QWidget* tab = TabSheet4;
    const int columnWidth = contentWidth_;
    MakeLabel(tab, "Label1", QStringLiteral("ログインID"), kX, 8);
    Edit1 = MakeEdit(tab, "Edit1", kX, 24, columnWidth);
    MakeLabel(tab, "Label2", QStringLiteral("パスワード"), kX, 50);
    Edit2 = MakeEdit(tab, "Edit2", kX, 66, columnWidth);
    Edit2->setEchoMode(QLineEdit::Password);
    MakeLabel(tab, "Label3", QStringLiteral("パスワード(確認)"), kX, 92);
    Edit6 = MakeEdit(tab, "Edit6", kX, 108, columnWidth);
    Edit6->setEchoMode(QLineEdit::Password);
    Button4 = MakeButton(tab, "Button4", QStringLiteral("シグナルサーバー ログインテスト"), FullWidth(136, 26));
    Button6 = MakeButton(tab, "Button6", QStringLiteral("手動でシグナルを受信"), FullWidth(166, 26));

    RadioGroup2 = Named(new RadioGroup(QStringLiteral("自動アップデート"),
                                       {QStringLiteral("自動的にアップデート(推奨)"), QStringLiteral("メール報告のみ"),
                                        QStringLiteral("自動アップデートは行わない")},
                                       tab),
                        "RadioGroup2");
    RadioGroup2->setGeometry(FullWidth(198, 88));
    RadioGroup2->setItemIndex(0);
    Button11 = MakeButton(tab, "Button11", QStringLiteral("手動でアップデート"), FullWidth(290, 26));

    CheckBox10 = MakeCheck(tab, "CheckBox10", QStringLiteral("Demoモードで動作"), kX, 324, columnWidth);
    CheckBox26 = MakeCheck(tab, "CheckBox26", QStringLiteral("ネットワークを迂回してシグナルを受信"), kX, 348, columnWidth);
    CheckBox17 = MakeCheck(tab, "CheckBox17", QStringLiteral("Proxyを使用して通信する(上級者向け)"), kX, 376, columnWidth);

    // The proxy address and its hints sit on their own panel, so a locked
    // tab keeps them locked whatever the proxy box says.
    Panel4 = Named(new QFrame(tab), "Panel4");
    Panel4->setGeometry(kX, 398, columnWidth, 68);
    Label20 = MakeLabel(Panel4, "Label20", QStringLiteral("Proxy :"), 16, 4);
    Edit11 = MakeEdit(Panel4, "Edit11", 62, 1, columnWidth - 62);
    Label21 = MakeLabel(Panel4, "Label21", QStringLiteral("123.456.789:8080 のように指定"), 16, 28);
    Label22 = MakeLabel(Panel4, "Label22", QStringLiteral("(空欄の場合はブラウザの設定を使用)"), 16, 46);
}

void TPellagoForm::BuildMailTab()
{
    QWidget* tab = TabSheet5;
    const int columnWidth = contentWidth_;
    constexpr int kFieldX = 92;
    const int fieldWidth = columnWidth + kX - kFieldX;
    CheckBox1 = MakeCheck(tab, "CheckBox1", QStringLiteral("メール報告機能を使用する"), kX, 8, columnWidth);
    MakeLabel(tab, "Label4", QStringLiteral("ホスト"), kX, 37);
    Edit3 = MakeEdit(tab, "Edit3", kFieldX, 34, fieldWidth);
    MakeLabel(tab, "Label5", QStringLiteral("ポート"), kX, 62);
    Edit7 = MakeEdit(tab, "Edit7", kFieldX, 59, 60);
    MakeLabel(tab, "Label6", QStringLiteral("ログインID"), kX, 87);
    Edit4 = MakeEdit(tab, "Edit4", kFieldX, 84, fieldWidth);
    MakeLabel(tab, "Label7", QStringLiteral("パスワード"), kX, 112);
    Edit5 = MakeEdit(tab, "Edit5", kFieldX, 109, fieldWidth);
    Edit5->setEchoMode(QLineEdit::Password);
    MakeLabel(tab, "Label8", QStringLiteral("送信者名"), kX, 137);
    Edit8 = MakeEdit(tab, "Edit8", kFieldX, 134, fieldWidth);
    Edit8->setText(QStringLiteral("トレードシグナル"));
    MakeLabel(tab, "Label13", QStringLiteral("送信者メールアドレス"), kX, 160);
    Edit9 = MakeEdit(tab, "Edit9", kX, 176, columnWidth);
    MakeLabel(tab, "Label14", QStringLiteral("受信者メールアドレス"), kX, 202);
    Edit10 = MakeEdit(tab, "Edit10", kX, 218, columnWidth);

    CheckBox2 = MakeCheck(tab, "CheckBox2", QStringLiteral("SSLを使用する"), kX, 246, 112);
    CheckBox21 = MakeCheck(tab, "CheckBox21", QStringLiteral("UTF-8に変換"), 124, 246, columnWidth + kX - 124);
    CheckBox27 = MakeCheck(tab, "CheckBox27", QStringLiteral("別サーバーを経由して送信"), kX, 268, columnWidth);
    CheckBox20 = MakeCheck(tab, "CheckBox20", QStringLiteral("Outlook Expressから送信 (非推奨)"), kX, 290, columnWidth);
    CheckBox19 = MakeCheck(tab, "CheckBox19", QStringLiteral("実際には送信せずローカルに保存"), kX, 312, columnWidth);
    Button1 = MakeButton(tab, "Button1", QStringLiteral("テストメール送信"), FullWidth(336, 26));

    CheckBox3 = MakeCheck(tab, "CheckBox3", QStringLiteral("エラー総数を記載"), kX, 370, columnWidth);
    CheckBox4 = MakeCheck(tab, "CheckBox4", QStringLiteral("口座状況を記載"), kX, 391, columnWidth);
    CheckBox5 = MakeCheck(tab, "CheckBox5", QStringLiteral("重要なログを記載"), kX, 412, columnWidth);
    CheckBox14 = MakeCheck(tab, "CheckBox14", QStringLiteral("シグナル一覧を記載"), kX, 433, columnWidth);
    CheckBox15 = MakeCheck(tab, "CheckBox15", QStringLiteral("シグナルポジション一覧を記載"), kX, 454, columnWidth);
    CheckBox16 = MakeCheck(tab, "CheckBox16", QStringLiteral("全ポジション一覧を記載"), kX, 475, columnWidth);
    CheckBox6 = MakeCheck(tab, "CheckBox6", QStringLiteral("全てのログを記載"), kX, 496, columnWidth);
    for (QCheckBox* section : {CheckBox3, CheckBox4, CheckBox5, CheckBox14, CheckBox15, CheckBox16})
        section->setChecked(true);
}
