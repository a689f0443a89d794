#pragma once

#include <QString>

// The password the tests type wherever a password flows through the code. The sentinel test
// runs them with every debug log on and fails if this text shows up anywhere in the output.
// Letters and digits only, so that it reads the same percent-encoded in a URL.
inline const QString kSentinelPassword = QStringLiteral(MARQUETRIX_SENTINEL_PASSWORD);
