#include "pagefetcher.h"

#include "stopswitch.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>

namespace marquetrix::resolver {

namespace {

// Some sites serve a bare page to clients they do not recognise as a browser.
constexpr const char *userAgent =
    "Mozilla/5.0 (X11; Linux i686; rv:109.0) Gecko/20100101 Firefox/121.0";
constexpr long maxRedirects = 5;
constexpr std::chrono::milliseconds maxConnectTime{5000};

struct CurlFree
{
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};

struct Download
{
    std::string body;
    bool cut = false;
};

std::size_t collect(char *data, std::size_t size, std::size_t count, void *userData)
{
    auto *download = static_cast<Download *>(userData);
    const std::size_t bytes = size * count;
    const std::size_t room = PageFetcher::maxBodyBytes - download->body.size();
    download->body.append(data, std::min(bytes, room));
    if (bytes > room) {
        // Returning less than offered ends the transfer with CURLE_WRITE_ERROR.
        download->cut = true;
        return room;
    }
    return bytes;
}

// libcurl asks at least once a second, also while nothing arrives.
int abortWhenStopping(void *stopSwitch, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const StopSwitch *>(stopSwitch)->tripped() ? 1 : 0;
}

// "text/html; charset=UTF-8" gives "UTF-8"; quotes and case as the server sent them.
std::string charsetOf(std::string_view contentType)
{
    std::string lower(contentType);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t key = lower.find("charset=");
    if (key == std::string::npos) {
        return {};
    }
    std::string_view value = contentType.substr(key + 8);
    value = value.substr(0, value.find(';'));
    while (!value.empty() && (value.front() == '"' || value.front() == ' ')) {
        value.remove_prefix(1);
    }
    while (!value.empty() && (value.back() == '"' || value.back() == ' ')) {
        value.remove_suffix(1);
    }
    return std::string(value);
}

} // namespace

PageFetcher::PageFetcher(std::chrono::milliseconds timeout, const StopSwitch &stopSwitch)
    : m_timeout(timeout), m_stopSwitch(stopSwitch)
{
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

FetchedPage PageFetcher::fetch(const std::string &url) const
{
    FetchedPage page;
    const std::unique_ptr<CURL, CurlFree> curl(curl_easy_init());
    if (!curl) {
        page.error = "the HTTP client could not be set up";
        return page;
    }
    Download download;
    char curlError[CURL_ERROR_SIZE] = {};
    CURL *handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maxRedirects);
    // Signals cannot reach the right thread of a threaded server.
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(m_timeout.count()));
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::min(m_timeout, maxConnectTime).count()));
    curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(handle, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, abortWhenStopping);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &m_stopSwitch);

    const CURLcode result = curl_easy_perform(handle);
    char *finalUrl = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &finalUrl);
    page.finalUrl = finalUrl ? finalUrl : url;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);

    if (result == CURLE_OPERATION_TIMEDOUT) {
        page.outcome = FetchedPage::Outcome::TimedOut;
        page.error = "the page did not answer within " + std::to_string(m_timeout.count()) + " ms";
    } else if (result == CURLE_ABORTED_BY_CALLBACK) {
        page.error = "the service is stopping";
    } else if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && download.cut)) {
        page.error = curlError[0] ? curlError : curl_easy_strerror(result);
        if (page.error.ends_with('.')) {
            page.error.pop_back();
        }
    } else if (status >= 400) {
        page.error = "the page answered with HTTP status " + std::to_string(status);
    } else {
        page.outcome = FetchedPage::Outcome::Loaded;
        page.body = std::move(download.body);
        char *contentType = nullptr;
        curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &contentType);
        page.charset = charsetOf(contentType ? contentType : "");
    }
    return page;
}

} // namespace marquetrix::resolver
