#pragma once

#include "credentials.h"
#include "keychainerror.h"

#include <QObject>
#include <functional>
#include <optional>

namespace marquetrix {

// The user's credentials for protected links, one item per host and user name in the
// system's secret store. Failures are logged in the credentials category; a password is
// never logged.
//
// The blocking forms wait for the secret store (a few seconds at most) in a local event
// loop that keeps the window painting but holds user input back until the answer is in.
// The dialog uses the forms that answer later, so that typing never waits on the store.

// Adds an item for the credentials (replacing one of the same host and user name).
// Throws KeychainError::unhandledError with the store's status when that fails.
void storeCredentials(const Credentials &credentials);
// The credentials of the host's first item, or none (also when the store fails).
std::optional<Credentials> getCredentials(const QString &server);

// The same, answering later on this thread; nothing is called once `context` is gone.
void storeCredentialsLater(const Credentials &credentials, QObject *context,
                           std::function<void(std::optional<KeychainError>)> done);
void getCredentialsLater(const QString &server, QObject *context,
                         std::function<void(std::optional<Credentials>)> done);

} // namespace marquetrix
