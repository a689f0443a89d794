#pragma once

#include <type_traits>

// The getter, setter and member of a property that notifies on every assignment, also when
// the value is unchanged: the player binding and the views run on each notification, so
// the setter never compares. moc reads neither macros nor what they expand to, so the
// Q_PROPERTY line and the Q_SIGNAL stay written out next to the macro.
//
//     Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged)
//     MARQUETRIX_NOTIFYING(bool, muted, setMuted, mutedChanged, false)
//     Q_SIGNAL void mutedChanged();
//
// The trailing arguments initialise the member (none: value-initialised). Used in a public
// section, which it leaves public.
#define MARQUETRIX_NOTIFYING(Type, name, setter, signal, ...)                                      \
    Type name() const                                                                              \
    {                                                                                              \
        return m_##name;                                                                           \
    }                                                                                              \
    void setter(marquetrix::NotifyingParam<Type> value)                                            \
    {                                                                                              \
        m_##name = value;                                                                          \
        emit signal();                                                                             \
    }                                                                                              \
                                                                                                   \
private:                                                                                           \
    Type m_##name{__VA_ARGS__};                                                                    \
                                                                                                   \
public:

namespace marquetrix {

// Scalars by value, so that a setter's address is `void (T::*)(bool)` as callers expect.
template <typename T> using NotifyingParam = std::conditional_t<std::is_scalar_v<T>, T, const T &>;

} // namespace marquetrix
