#include "trading/ui/MessageBoxes.h"

#include <QMessageBox>

namespace {

QString Shown(const std::string& text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

bool AskOkCancel(QWidget* parent, const std::string& caption, const std::string& text)
{
    return QMessageBox::question(parent, QString::fromStdString(caption), Shown(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void ShowMessage(QWidget* parent, const std::string& caption, const std::string& text)
{
    QMessageBox::information(parent, QString::fromStdString(caption), Shown(text));
}
