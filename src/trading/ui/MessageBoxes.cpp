#include "trading/ui/MessageBoxes.h"

#include <QMessageBox>

namespace {

QString Shown(const std::string& text)
{
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

QString MessageBoxTitle(const std::string& caption)
{
    return caption.empty() ? QStringLiteral("Pellago") : QString::fromStdString(caption);
}

bool AskOkCancel(QWidget* parent, const std::string& caption, const std::string& text)
{
    return QMessageBox::question(parent, MessageBoxTitle(caption), Shown(text),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void ShowMessage(QWidget* parent, const std::string& caption, const std::string& text)
{
    QMessageBox::information(parent, MessageBoxTitle(caption), Shown(text));
}
