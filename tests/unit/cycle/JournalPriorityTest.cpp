// The priority a headless line carries into the journal: failures as errors,
// retries and restarts as warnings, the success lines of the same kind as info.

#include "app/JournalPriority.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* line;
    const char* journal;
};

TEST(JournalPriority, LinesCarryTheirPriority)
{
    const Case cases[] = {
        {"[LionFX] [重要] Error! LionFXの口座情報の取得に失敗しました。次回再度取得します",
         "<3>[LionFX] [重要] Error! LionFXの口座情報の取得に失敗しました。次回再度取得します"},
        {"EnumUnitsでERRORが発生", "<3>EnumUnitsでERRORが発生"},
        {"[重要] アカウントのポジションに不一致があります。再実行推奨です",
         "<3>[重要] アカウントのポジションに不一致があります。再実行推奨です"},
        {"■ [重要] 受信したシグナル 0105.xml は読めません", "<3>■ [重要] 受信したシグナル 0105.xml は読めません"},
        {"[重要] トレードログ内にて、エラーが2件以上あります", "<3>[重要] トレードログ内にて、エラーが2件以上あります"},
        {"[LionFX] [重要] LionFXのLot数は、シグナル指示とサーバー上とが【完全に一致】しています",
         "<6>[LionFX] [重要] LionFXのLot数は、シグナル指示とサーバー上とが【完全に一致】しています"},
        {"[重要] 自動売買は正常に終了しました", "<6>[重要] 自動売買は正常に終了しました"},
        {"[重要] トレードログ内に、エラーはありません", "<6>[重要] トレードログ内に、エラーはありません"},
        {"■ 今回、自動売買が不完全な形で終了したため、3分後に再実行します",
         "<4>■ 今回、自動売買が不完全な形で終了したため、3分後に再実行します"},
        {"サーバー障害です.リトライします (Retry=1/3)", "<4>サーバー障害です.リトライします (Retry=1/3)"},
        {"[AutoUpdate] 最新version 1.03 のダウンロードに成功。再起動します",
         "<4>[AutoUpdate] 最新version 1.03 のダウンロードに成功。再起動します"},
        {"■ 新しいシグナルを受信しました", "<6>■ 新しいシグナルを受信しました"},
        {"", "<6>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JournalLine(c.line), c.journal) << c.line;
}

} // namespace
