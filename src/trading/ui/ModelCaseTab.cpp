#include "trading/ui/ModelCaseTab.h"

#include "base/AkUnit.h"
#include "base/Log.h"
#include "documents/AccountDocument.h"
#include "documents/DocumentValues.h"
#include "trading/ModelCaseSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <initializer_list>
#include <utility>

namespace {

void AcceptOnly(QLineEdit* edit, const QString& pattern)
{
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), edit));
}

bool WholeNumber(const QString& text, long long& value) { return TryParseInteger(text.toStdString(), value); }

} // namespace

ModelCaseTab::ModelCaseTab(const ModelCaseTabControls& controls, ModelCaseTabHooks hooks, QObject* parent)
    : QObject(parent), c_(controls), hooks_(std::move(hooks))
{
    for (QLineEdit* edit : {c_.Edit12, c_.Edit13, c_.Edit14})
        AcceptOnly(edit, QStringLiteral("[0-9]*"));
    // The difference is negative when the virtual funds lie below the real balance.
    AcceptOnly(c_.Edit15, QStringLiteral("-?[0-9]*"));
    c_.TabSheet8->installEventFilter(this);
    connect(c_.ComboBox3, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_)
            FillForAccount(true);
    });
    for (QCheckBox* box : {c_.CheckBox29, c_.CheckBox23, c_.CheckBox24})
        connect(box, &QCheckBox::clicked, this, &ModelCaseTab::SaveTab);
    for (QLineEdit* edit : {c_.Edit12, c_.Edit14})
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
            if (!text.isEmpty())
                SaveTab();
        });
    connect(c_.Edit13, &QLineEdit::textChanged, this, [this] { VirtualFundsEdited(c_.Edit13, c_.Edit15, -1); });
    connect(c_.Edit15, &QLineEdit::textChanged, this, [this] { VirtualFundsEdited(c_.Edit15, c_.Edit13, +1); });
}

bool ModelCaseTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == c_.TabSheet8 && event->type() == QEvent::Show)
        TabShow();
    return QObject::eventFilter(watched, event);
}

bool ModelCaseTab::UserChange() const { return !filling_ && c_.TabSheet8->isVisible(); }

void ModelCaseTab::TabShow()
{
    filling_ = true;
    c_.ComboBox3->clear();
    pugi::xml_document doc;
    if (LoadAccountDocument(doc))
        for (pugi::xml_node account : AccountElements(doc))
            c_.ComboBox3->addItem(QString::fromStdString(AccountName(account)));
    filling_ = false;
    const bool anyAccount = c_.ComboBox3->count() > 0;
    SetControlsEnabled(anyAccount);
    c_.ComboBox3->setEnabled(anyAccount);
    if (!anyAccount)
        return;
    c_.ComboBox3->setCurrentIndex(0);
    FillForAccount(false);
}

void ModelCaseTab::FillForAccount(bool drawPage)
{
    filling_ = true;
    pugi::xml_document doc;
    TModelCaseView view;
    const bool filled = LoadAccountDocument(doc) && ReadModelCaseView(doc, c_.ComboBox3->currentIndex(), view);
    SetControlsEnabled(filled);
    if (filled) {
        c_.CheckBox29->setChecked(view.AutoModelCase);
        c_.CheckBox23->setChecked(view.VirtualBalanceMode);
        c_.CheckBox24->setChecked(view.VarianceMode);
        c_.Edit12->setText(QString::fromStdString(view.RatioPercent));
        c_.Edit13->setText(QString::fromStdString(view.VirtualFunds));
        c_.Edit14->setText(QString::fromStdString(view.VarianceTarget));
        c_.Edit15->setText(QString::fromStdString(view.VirtualBalance));
        // Whole units, as the two fields beside it count them.
        const long long real = RoundHalfAway(ParseDecimal(view.RealBalance, "Balance"));
        c_.Label36->setText(QString::number(real));
        if (drawPage)
            hooks_.showModelCasePage(c_.ComboBox3->currentIndex());
    }
    filling_ = false;
}

void ModelCaseTab::SetControlsEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{c_.CheckBox29, c_.Edit12, c_.CheckBox23, c_.Label36,
                                                             c_.Edit13, c_.Edit15, c_.Edit14, c_.CheckBox24})
        control->setEnabled(enabled);
}

void ModelCaseTab::VirtualFundsEdited(QLineEdit* edited, QLineEdit* other, int sign)
{
    long long value = 0;
    long long real = 0;
    if (!UserChange() || !WholeNumber(edited->text(), value) || !WholeNumber(c_.Label36->text(), real))
        return;
    // Setting the text it already holds is no change: the pair settles in one round.
    other->setText(QString::number(value + sign * real));
    SaveTab();
    hooks_.showModelCasePage(c_.ComboBox3->currentIndex());
}

void ModelCaseTab::SaveTab()
{
    if (!UserChange())
        return;
    TModelCaseInput input;
    input.AutoModelCase = c_.CheckBox29->isChecked();
    input.VirtualBalanceMode = c_.CheckBox23->isChecked();
    input.VarianceMode = c_.CheckBox24->isChecked();
    input.RatioPercent = c_.Edit12->text().toStdString();
    input.VirtualBalance = c_.Edit15->text().toStdString();
    input.VarianceTarget = c_.Edit14->text().toStdString();
    SaveModelCaseInput(c_.ComboBox3->currentIndex(), input, [](const std::string& line) { AddLog(line); });
}
