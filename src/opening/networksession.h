#pragma once

class QNetworkAccessManager;

namespace marquetrix {

// The application's shared HTTP session for requests that outlive whoever started them
// (a page title arriving after its dialog closed). Made on first use on the GUI thread and
// owned by the application object.
QNetworkAccessManager &sharedNetworkSession();

} // namespace marquetrix
