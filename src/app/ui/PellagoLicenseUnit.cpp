#include "app/ui/PellagoLicenseUnit.h"

#include "app/ProcessState.h"
#include "app/Terms.h"
#include "app/ui/PellagoUnit1.h"
#include "base/Log.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TForm1::TForm1(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pellago ソフトウェア使用許諾"));
    resize(560, 480);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("以下のソフトウェア使用許諾をよくお読みいただき")));
    column->addWidget(new QLabel(QStringLiteral("ご同意いただけましたら、【同意する】ボタンより次へお進みください")));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    column->addWidget(Memo1, 1);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("同意する"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("同意しない"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    column->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

std::string TForm1::MarkerPath() { return TermsMarkerPath(); }

TForm1::Outcome TForm1::RunAtStart(bool headless)
{
    if (TermsAcceptedBefore()) {
        TermsAccepted = true;
        return Outcome::AcceptedBefore;
    }
    // Nobody can read or click on a headless start: say how to accept instead.
    if (headless) {
        AddLog(HeadlessTermsHint());
        return Outcome::NotShown;
    }
    std::string text;
    std::string error;
    if (!LoadTermsText(text, error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Pellago"), QString::fromStdString(error));
        return Outcome::NotShown;
    }
    Memo1->setPlainText(QString::fromStdString(text));
    CentreOnWorkArea();
    return exec() == QDialog::Accepted ? Outcome::AcceptedNow : Outcome::Declined;
}

void TForm1::Button1Click()
{
    RecordTermsAccepted();
    TermsAccepted = true;
    accept();
}

void TForm1::CentreOnWorkArea()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

bool SettleTermsAtStart(TForm1& terms, TPellagoForm& form)
{
    const TForm1::Outcome outcome = terms.RunAtStart(form.Headless());
    if (outcome == TForm1::Outcome::AcceptedNow && !VersionChecked)
        form.FastUpdateTimer->start();
    return outcome != TForm1::Outcome::Declined;
}
