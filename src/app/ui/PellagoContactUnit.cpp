#include "app/ui/PellagoContactUnit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm2::TForm2(const QString& contactAddress, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("問題点送信フォーム"));
    resize(480, 360);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("※ 問題点についてご記入の上、送信ボタンを押してください")));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    column->addWidget(Memo1, 1);
    column->addWidget(new QLabel(QStringLiteral("連絡先 (メールアドレス)")));
    Edit1 = new QLineEdit(contactAddress, this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    column->addWidget(Edit1);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("送信"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("キャンセル"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    buttons->addWidget(Button1, 1);
    buttons->addWidget(Button2, 1);
    column->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm2::Button1Click()
{
    if (Memo1->toPlainText().trimmed().isEmpty()) {
        QMessageBox::information(this, QStringLiteral("Pellago"), QStringLiteral("送信前に、問題点についてご記入ください"));
        return;
    }
    accept();
}

void TForm2::showEvent(QShowEvent* event)
{
    if (const QWidget* owner = parentWidget())
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}
