#include "fakeengine.h"

namespace marquetrix {

void FakeMediaListPlayer::setMediaList(std::shared_ptr<MediaList> list)
{
    m_list = std::move(list);
    player.currentMedia =
        m_list ? std::dynamic_pointer_cast<FakeMedia>(m_list->mediaAtIndex(0)) : nullptr;
}

void FakeMediaListPlayer::takeEffect()
{
    for (const QString &call : std::as_const(calls)) {
        if (call == u"play" || call == u"pause" || call == u"stop")
            player.playing = call == u"play";
    }
}

std::shared_ptr<MediaListPlayer> FakeMediaEngine::createListPlayer(const QStringList &options)
{
    auto listPlayer = std::make_shared<FakeMediaListPlayer>(options);
    listPlayers << listPlayer;
    return listPlayer;
}

} // namespace marquetrix
