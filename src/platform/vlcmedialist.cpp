#include "vlcmedialist.h"

namespace marquetrix {

VlcMediaList::VlcMediaList(const QList<std::shared_ptr<Media>> &media) : m_media(media) {}

int VlcMediaList::count() const
{
    return int(m_media.size());
}

std::shared_ptr<Media> VlcMediaList::mediaAtIndex(int index) const
{
    if (index < 0 || index >= m_media.size())
        return nullptr;
    return m_media.at(index);
}

void VlcMediaList::removeMediaAtIndex(int index)
{
    if (index >= 0 && index < m_media.size())
        m_media.removeAt(index);
}

} // namespace marquetrix
