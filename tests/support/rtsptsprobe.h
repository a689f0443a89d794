#pragma once

#include <QByteArray>

namespace marquetrix::test {

// What libavformat finds in an MPEG-TS byte stream, such as the one the RTSP bridge
// produces.
struct TsSummary
{
    bool opened = false;
    // libavformat's codec name of the first video stream ("h264"); empty without video.
    QByteArray videoCodec;
    int width = 0;
    int height = 0;
    bool hasAudio = false;
    int videoPackets = 0;
    // The first video packet of the stream, not the first one libavformat analysed.
    bool firstVideoIsKey = false;
    // Per stream: decoding times strictly increase and never pass presentation times.
    bool timestampsOrdered = true;
};

TsSummary probeTs(const QByteArray &bytes);

} // namespace marquetrix::test
