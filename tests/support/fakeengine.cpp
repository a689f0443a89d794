#include "fakeengine.h"

#include "mediaplayerdelegate.h"

namespace marquetrix {

std::shared_ptr<Media> FakeMediaList::mediaAtIndex(int index) const
{
    return index >= 0 && index < items.size() ? items.at(index) : nullptr;
}

void FakeMediaList::removeMediaAtIndex(int index)
{
    if (index >= 0 && index < items.size())
        items.removeAt(index);
}

void FakeAudioOutput::setVolume(int volume)
{
    m_calls << QStringLiteral("setVolume %1").arg(volume);
    currentVolume = volume;
}

void FakeAudioOutput::setMuted(bool muted)
{
    m_calls << (muted ? QStringLiteral("setMuted true") : QStringLiteral("setMuted false"));
    currentlyMuted = muted;
}

void FakeMediaPlayer::setDrawable(QVideoSink *sink)
{
    m_calls << (sink ? QStringLiteral("drawable set") : QStringLiteral("drawable none"));
    m_drawable = sink;
}

void FakeMediaPlayer::pause()
{
    m_calls << QStringLiteral("player.pause");
}

void FakeMediaPlayer::jumpBackward(int seconds)
{
    m_calls << QStringLiteral("jumpBackward %1").arg(seconds);
}

void FakeMediaPlayer::jumpForward(int seconds)
{
    m_calls << QStringLiteral("jumpForward %1").arg(seconds);
}

void FakeMediaPlayer::setVideoCropGeometry(const std::optional<QString> &geometry)
{
    m_calls << QStringLiteral("crop %1").arg(geometry.value_or(QStringLiteral("none")));
}

FakeAudioOutput &FakeMediaPlayer::createAudio()
{
    audioOutput = std::make_unique<FakeAudioOutput>(m_calls);
    return *audioOutput;
}

void FakeMediaPlayer::sendStateChanged()
{
    if (m_delegate)
        m_delegate->mediaPlayerStateChanged(this);
}

void FakeMediaPlayer::sendTimeChanged()
{
    if (m_delegate)
        m_delegate->mediaPlayerTimeChanged(this);
}

void FakeMediaListPlayer::setMediaList(std::shared_ptr<MediaList> list)
{
    m_list = std::move(list);
    auto first = m_list ? std::dynamic_pointer_cast<FakeMedia>(m_list->mediaAtIndex(0)) : nullptr;
    player.currentMedia = first;
}

void FakeMediaListPlayer::setRootMedia(std::shared_ptr<Media> media)
{
    setMediaList(std::make_shared<FakeMediaList>(QList<std::shared_ptr<Media>>{media}));
}

void FakeMediaListPlayer::setRepeatMode(int mode)
{
    calls << QStringLiteral("setRepeatMode %1").arg(mode);
    repeatMode = mode;
}

void FakeMediaListPlayer::play()
{
    calls << QStringLiteral("play");
}

void FakeMediaListPlayer::pause()
{
    calls << QStringLiteral("pause");
}

void FakeMediaListPlayer::stop()
{
    calls << QStringLiteral("stop");
}

std::shared_ptr<MediaListPlayer> FakeMediaEngine::createListPlayer(const QStringList &options)
{
    auto listPlayer = std::make_shared<FakeMediaListPlayer>(options);
    listPlayers << listPlayer;
    return listPlayer;
}

std::shared_ptr<Media> FakeMediaEngine::createMedia(const QUrl &url)
{
    return std::make_shared<FakeMedia>(url);
}

std::shared_ptr<MediaList>
FakeMediaEngine::createMediaList(const QList<std::shared_ptr<Media>> &media)
{
    return std::make_shared<FakeMediaList>(media);
}

std::shared_ptr<FakeMediaListPlayer> FakeMediaEngine::openListPlayer(const QUrl &url)
{
    auto listPlayer = std::static_pointer_cast<FakeMediaListPlayer>(
        createListPlayer({QStringLiteral("--avcodec-hw=none")}));
    listPlayer->setMediaList(createMediaList({createMedia(url)}));
    return listPlayer;
}

} // namespace marquetrix
