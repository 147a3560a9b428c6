// The log memo Memo1 mirrors the activity memo of the log module, in one of
// three display modes: 0 always shown below the status pages, 1 filling the
// status-page area, 2 shown only while messages arrive (LogMinTimer hides it
// 3 s after the last one). Headless runs also echo each line to stdout,
// with its journal priority in front.

#include "app/ui/PellagoUnit1.h"

#include "app/JournalPriority.h"
#include "base/Log.h"
#include "app/ui/RadioGroup.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

const QString kStatusBanner = QStringLiteral("Pellago : シグナルに連動して自動売買を行います");

void EchoToStdout(const std::string& activityLine)
{
    const std::string line = JournalLine(activityLine);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString JoinLines(const std::deque<std::string>& lines)
{
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    return text.join(u'\n');
}

void ReplaceLastBlock(QPlainTextEdit* memo, const QString& text)
{
    QTextCursor cursor(memo->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

} // namespace

void TPellagoForm::AttachLogView()
{
    LogObserver observer;
    observer.onMemoChanged = [this] { MirrorActivityMemo(); };
    if (Headless())
        observer.onLine = EchoToStdout;
    observer.onAddLogBegin = [this] {
        LogMinTimer->stop();
        if (RadioGroup1->itemIndex() == 2 && !settingsPanelOpen_)
            ShowMemoAtBottom();
    };
    observer.onAddLogEnd = [this] {
        LogMinTimer->start();
        SetStatusText(kStatusBanner);
    };
    SetLogObserver(observer);
    SetStatusText(kStatusBanner);
}

void TPellagoForm::MirrorActivityMemo()
{
    const std::deque<std::string>& lines = ActivityMemo().lines();
    const bool continues = memoLinesShown_ > 0 && lines.size() >= memoLinesShown_
                           && QString::fromStdString(lines.front()) == memoFirstLine_;
    const QString lastShown = continues ? QString::fromStdString(lines[memoLinesShown_ - 1]) : QString();
    // A line with a break of its own spans several blocks; rebuild then.
    const bool simpleEdit = continues && !lastShown.contains(u'\n') && !memoLastLine_.contains(u'\n');
    if (!simpleEdit) {
        Memo1->setPlainText(JoinLines(lines));
    } else {
        if (lastShown != memoLastLine_)
            ReplaceLastBlock(Memo1, lastShown);
        for (std::size_t i = memoLinesShown_; i < lines.size(); ++i)
            Memo1->appendPlainText(QString::fromStdString(lines[i]));
    }
    memoLinesShown_ = lines.size();
    memoFirstLine_ = lines.empty() ? QString() : QString::fromStdString(lines.front());
    memoLastLine_ = lines.empty() ? QString() : QString::fromStdString(lines.back());
    ShowNewestLine();
}

// The end of the log in view, and at least the beginning of its newest line
// when that line is longer than the pane.
void TPellagoForm::ShowNewestLine()
{
    Memo1->moveCursor(QTextCursor::End);
    Memo1->ensureCursorVisible();
    Memo1->moveCursor(QTextCursor::StartOfBlock);
    Memo1->ensureCursorVisible();
    Memo1->horizontalScrollBar()->setValue(0);
}

void TPellagoForm::RadioGroup1Click()
{
    // While the settings panel is open the chosen mode waits for its closing.
    if (!settingsPanelOpen_)
        ApplyDisplayMode(RadioGroup1->itemIndex());
}

void TPellagoForm::ApplyDisplayMode(int mode)
{
    RememberLogHeight();
    if (mode == 1) {
        Panel3->hide();
        Memo1->show();
        memoFillsBrowserArea_ = true;
        return;
    }
    ShowMemoAtBottom();
    if (mode == 2)
        LogMinTimerTimer();
}

// The height the user gave the pane below the status pages, kept across the
// settings panel and the display modes (and, through the settings, restarts).
void TPellagoForm::RememberLogHeight()
{
    if (isVisible() && !Memo1->isHidden() && !Panel3->isHidden() && !memoFillsBrowserArea_ && !settingsPanelOpen_
        && Memo1->height() >= Memo1->minimumHeight())
        savedLogHeight_ = Memo1->height();
}

void TPellagoForm::ShowMemoAtBottom()
{
    memoFillsBrowserArea_ = false;
    Panel3->show();
    Memo1->show();
    const int logHeight = std::max(savedLogHeight_, Memo1->minimumHeight());
    const int total = std::max(Splitter1->height(), logHeight + 10);
    const int panel = PageControl2->isHidden() ? 0 : Splitter1->sizes().value(0);
    Splitter1->setSizes({panel, std::max(10, total - panel - logHeight), logHeight});
}

void TPellagoForm::LogMinTimerTimer()
{
    LogMinTimer->stop();
    if (RadioGroup1->itemIndex() != 2 || settingsPanelOpen_)
        return;
    Memo1->hide();
    memoFillsBrowserArea_ = false;
    Panel3->show();
}

void TPellagoForm::SetStatusText(const QString& text) { StatusBar1->setText(text); }

QString TPellagoForm::StatusText() const { return StatusBar1->text(); }
