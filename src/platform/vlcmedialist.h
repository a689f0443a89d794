#pragma once

#include "medialist.h"

#include <QList>

namespace marquetrix {

class VlcMediaList : public MediaList
{
public:
    explicit VlcMediaList(const QList<std::shared_ptr<Media>> &media);

    int count() const override;
    std::shared_ptr<Media> mediaAtIndex(int index) const override;
    void removeMediaAtIndex(int index) override;

private:
    QList<std::shared_ptr<Media>> m_media;
};

} // namespace marquetrix
