#include "base/CurlTransfer.h"

#include "base/AkUnit.h"

namespace {

void GlobalInitOnce()
{
    static const bool initialised = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        return true;
    }();
    (void)initialised;
}

CURLcode FinishedResult(CURLM* multi, CURL* easy, bool& finished)
{
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
        if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
            finished = true;
            return msg->data.result;
        }
    }
    return CURLE_OK;
}

} // namespace

CurlMulti::CurlMulti()
{
    GlobalInitOnce();
    multi_ = curl_multi_init();
}

CurlMulti::~CurlMulti()
{
    if (multi_)
        curl_multi_cleanup(multi_);
}

CurlEasy::CurlEasy()
{
    GlobalInitOnce();
    easy_ = curl_easy_init();
}

CurlEasy::~CurlEasy()
{
    if (easy_)
        curl_easy_cleanup(easy_);
}

CURLcode PerformWithEvents(CURL* easy, CURLM* sessionMulti)
{
    CurlMulti ownMulti;
    CURLM* multi = sessionMulti ? sessionMulti : ownMulti.get();
    if (!multi || curl_multi_add_handle(multi, easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    CURLcode result = CURLE_OK;
    bool finished = false;
    while (!finished) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        result = FinishedResult(multi, easy, finished);
        if (finished || running == 0)
            break;
        curl_multi_poll(multi, nullptr, 0, 20, nullptr);
        PumpMessages(0);
    }
    if (!finished && result == CURLE_OK)
        result = FinishedResult(multi, easy, finished);
    curl_multi_remove_handle(multi, easy);
    return result;
}

size_t AppendToString(char* data, size_t size, size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}
