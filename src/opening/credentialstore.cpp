#include "credentialstore.h"

#include "openinglogging.h"
#include "secretstore.h"

#include <QEventLoop>
#include <QStringDecoder>

namespace marquetrix {

namespace {

// The item's password when the item is whole: a user name and UTF-8 text.
std::optional<Credentials> readItem(const QString &server, const SecretStore::Item &item)
{
    if (!item.user || !item.secret)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString password = decoder.decode(*item.secret);
    if (decoder.hasError())
        return std::nullopt;
    return Credentials{.server = server, .username = *item.user, .password = std::move(password)};
}

template <typename Start> void waitFor(Start start)
{
    QEventLoop loop;
    bool finished = false;
    start(&loop, [&] {
        finished = true;
        loop.quit();
    });
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

void storeCredentialsLater(const Credentials &credentials, QObject *context,
                           std::function<void(std::optional<KeychainError>)> done)
{
    SecretStore::store(credentials.server, credentials.username, credentials.password.toUtf8(),
                       context, [done = std::move(done)](int status) {
                           if (status == SecretStore::kSuccess) {
                               done(std::nullopt);
                               return;
                           }
                           qCWarning(lcCredentials, "Failed to save credentials: %d", status);
                           done(KeychainError::unhandledError(status));
                       });
}

void getCredentialsLater(const QString &server, QObject *context,
                         std::function<void(std::optional<Credentials>)> done)
{
    SecretStore::lookup(
        server, context,
        [server, done = std::move(done)](int status, const std::optional<SecretStore::Item> &item) {
            if (status == SecretStore::kItemNotFound) {
                done(std::nullopt);
                return;
            }
            if (status != SecretStore::kSuccess || !item) {
                qCWarning(lcCredentials, "Status not successful: %d", status);
                done(std::nullopt);
                return;
            }
            std::optional<Credentials> credentials = readItem(server, *item);
            if (!credentials)
                qCWarning(lcCredentials, "Found credentials but failed to read as map");
            done(std::move(credentials));
        });
}

void storeCredentials(const Credentials &credentials)
{
    std::optional<KeychainError> failure;
    waitFor([&](QObject *context, auto finished) {
        storeCredentialsLater(credentials, context, [&, finished](std::optional<KeychainError> e) {
            failure = e;
            finished();
        });
    });
    if (failure)
        throw *failure;
}

std::optional<Credentials> getCredentials(const QString &server)
{
    std::optional<Credentials> found;
    waitFor([&](QObject *context, auto finished) {
        getCredentialsLater(server, context, [&, finished](std::optional<Credentials> c) {
            found = std::move(c);
            finished();
        });
    });
    return found;
}

} // namespace marquetrix
