#pragma once

#include <QtGlobal>
#include <exception>

namespace marquetrix {

// Why the credential store could not keep an item. The status is the secret store's code
// (see SecretStore: -1 no answer within the bound, -2 the service failed the call).
class KeychainError : public std::exception
{
public:
    static KeychainError unhandledError(qint32 status) { return KeychainError(status); }

    qint32 status() const { return m_status; }
    const char *what() const noexcept override { return "unhandled keychain error"; }

private:
    explicit KeychainError(qint32 status) : m_status(status) {}

    qint32 m_status;
};

} // namespace marquetrix
