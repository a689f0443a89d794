#pragma once

#include <QObject>
#include <QPointer>

namespace marquetrix {

// Points `slot` at the state object (PlayerState, ViewState, LayoutState) that `owner` now
// follows, first dropping every connection from the one it followed to `owner`. Held by
// QPointer: a state destroyed before its follower reads as null, never dangling.
template <typename State> void followState(QPointer<State> &slot, State *value, QObject *owner)
{
    if (slot)
        QObject::disconnect(slot, nullptr, owner, nullptr);
    slot = value;
}

} // namespace marquetrix
