#pragma once

#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

namespace marquetrix {

class VideoMetadata;

inline constexpr std::chrono::milliseconds kPageTitleTimeout{60000};

// Loads the page with a browser's user agent and gives the record the text of the page's
// title element (the last one on a single line wins) when it arrives. Returns at once; the
// request is never cancelled and runs on the shared session.
//
// `failed` runs on this thread when the page gave no answer, or answered with a status of
// 300 or more (the title is still read from such a page); it is dropped once `context` is
// gone. A record that is gone by then is left alone.
void fetchPageTitle(const QUrl &pageUrl, const std::shared_ptr<VideoMetadata> &record,
                    QObject *context, std::function<void()> failed,
                    std::chrono::milliseconds timeout = kPageTitleTimeout);

} // namespace marquetrix
