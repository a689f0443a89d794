#pragma once

#include <QString>

namespace marquetrix {

// What the credential store keeps for one host: the host name alone (no scheme, port or
// path, so one item serves every link to the host), the user name and the password.
struct Credentials
{
    QString server;
    QString username;
    QString password;
};

} // namespace marquetrix
