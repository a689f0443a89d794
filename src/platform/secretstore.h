#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

namespace marquetrix {

// Network passwords in the Secret Service (GNOME Keyring, KWallet, KeePassXC) through
// libsecret, in the standard network-password schema: one item per `server` and `user`,
// the secret being the password's bytes.
//
// Every call is asynchronous on the GLib main loop that Qt runs, and bounded: a service
// that is missing fails at once, one that never answers fails when the bound runs out. The
// answer arrives on the calling thread, never from inside the call, and not at all once
// `context` is gone.
//
// Status codes (a signed 32-bit number, as the callers report them):
//   0            success
//   -25300       no item matched (kItemNotFound)
//   -1           the service did not answer within the bound (kTimedOut)
//   -2           the service or the bus refused or failed the call (kServiceFailed); the
//                service's message is logged
class SecretStore
{
public:
    static constexpr int kSuccess = 0;
    static constexpr int kItemNotFound = -25300;
    static constexpr int kTimedOut = -1;
    static constexpr int kServiceFailed = -2;
    static constexpr std::chrono::milliseconds kDefaultBound{5000};

    struct Item
    {
        // Absent when the item carries no `user` attribute (written by another program).
        std::optional<QString> user;
        // Absent when the service did not hand the secret over (a locked collection).
        std::optional<QByteArray> secret;
    };

    using StoreDone = std::function<void(int status)>;
    // The item is present exactly when the status is kSuccess.
    using LookupDone = std::function<void(int status, const std::optional<Item> &item)>;

    // Adds the item, replacing one with the same server and user.
    static void store(const QString &server, const QString &user, const QByteArray &secret,
                      QObject *context, StoreDone done,
                      std::chrono::milliseconds bound = kDefaultBound);
    // The first item of the server, whatever its user.
    static void lookup(const QString &server, QObject *context, LookupDone done,
                       std::chrono::milliseconds bound = kDefaultBound);
};

} // namespace marquetrix
