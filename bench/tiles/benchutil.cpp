#include "benchutil.h"

#include "medialistplayer.h"
#include "vlcmediaengine.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>

namespace marquetrix::bench {

std::shared_ptr<MediaListPlayer> openClip(MediaEngine &engine, const QString &clip)
{
    auto listPlayer = engine.createListPlayer({QStringLiteral("--avcodec-hw=none")});
    listPlayer->setMediaList(
        engine.createMediaList({engine.createMedia(QUrl::fromLocalFile(clip))}));
    return listPlayer;
}

void wait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace marquetrix::bench
