#!/usr/bin/python3
"""RTSP server for the tests: serves one H.264 + AAC MP4 clip at /live on 127.0.0.1
(or, with --content audio, only its AAC track; with --content mjpeg, a Motion JPEG test
picture, a codec the player cannot carry).

Prints "ready PORT" once it listens (PORT 0 picks a free one) and serves until killed or
until its standard input closes, so a crashed test leaves no server behind.

  rtspgstserver.py --clip clip.mp4 [--port 0] [--transport tcp|udp|both]
                   [--auth none|basic|digest --user U --password P]
                   [--content clip|audio|mjpeg] [--tls yes|no]

With --tls yes it speaks RTSP over TLS (rtsps, TCP only) with the self-signed certificate
rtsps-test.pem beside this script.
"""
import argparse
import os
import sys
import threading

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtsp", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import Gio, GLib, Gst, GstRtsp, GstRtspServer  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--clip", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--transport", choices=["tcp", "udp", "both"], default="both")
    parser.add_argument("--auth", choices=["none", "basic", "digest"], default="none")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--content", choices=["clip", "audio", "mjpeg"], default="clip")
    parser.add_argument("--tls", choices=["yes", "no"], default="no")
    args = parser.parse_args()

    Gst.init(None)
    server = GstRtspServer.RTSPServer()
    server.set_address("127.0.0.1")
    server.set_service(str(args.port))

    factory = GstRtspServer.RTSPMediaFactory()
    location = args.clip.replace("\\", "\\\\").replace('"', '\\"')
    if args.content == "mjpeg":
        factory.set_launch(
            "( videotestsrc is-live=true ! video/x-raw,format=I420,width=320,height=176 ! jpegenc "
            "! rtpjpegpay name=pay0 pt=26 )"
        )
    elif args.content == "audio":
        factory.set_launch(
            f'( filesrc location="{location}" ! qtdemux name=d '
            "d.audio_0 ! queue ! aacparse ! rtpmp4gpay name=pay0 pt=97 )"
        )
    else:
        factory.set_launch(
            f'( filesrc location="{location}" ! qtdemux name=d '
            "d.video_0 ! queue ! h264parse ! rtph264pay name=pay0 pt=96 config-interval=1 "
            "d.audio_0 ! queue ! aacparse ! rtpmp4gpay name=pay1 pt=97 )"
        )
    factory.set_shared(False)
    protocols = {
        "tcp": GstRtsp.RTSPLowerTrans.TCP,
        "udp": GstRtsp.RTSPLowerTrans.UDP,
        "both": GstRtsp.RTSPLowerTrans.TCP | GstRtsp.RTSPLowerTrans.UDP,
    }
    factory.set_protocols(protocols[args.transport])

    if args.auth != "none" or args.tls == "yes":
        auth = GstRtspServer.RTSPAuth()
        token = GstRtspServer.RTSPToken()
        token.set_string(GstRtspServer.RTSP_TOKEN_MEDIA_FACTORY_ROLE, "viewer")
        if args.tls == "yes":
            pem = os.path.join(os.path.dirname(os.path.abspath(__file__)), "rtsps-test.pem")
            auth.set_tls_certificate(Gio.TlsCertificate.new_from_file(pem))
            factory.set_protocols(GstRtsp.RTSPLowerTrans.TCP)
        if args.auth == "none":
            auth.set_default_token(token)
        elif args.auth == "digest":
            auth.set_supported_methods(GstRtsp.RTSPAuthMethod.DIGEST)
            auth.add_digest(args.user, args.password, token)
        else:
            auth.set_supported_methods(GstRtsp.RTSPAuthMethod.BASIC)
            auth.add_basic(GstRtspServer.RTSPAuth.make_basic(args.user, args.password), token)
        server.set_auth(auth)
        permissions = GstRtspServer.RTSPPermissions()
        permissions.add_role_from_structure(
            Gst.Structure.new_from_string(
                "viewer, media.factory.access=(boolean)true, media.factory.construct=(boolean)true"
            )
        )
        factory.set_permissions(permissions)

    server.get_mount_points().add_factory("/live", factory)
    loop = GLib.MainLoop()
    if server.attach(None) == 0:
        print("could not listen", file=sys.stderr, flush=True)
        return 1

    def watch_stdin():
        while sys.stdin.read(4096):
            pass
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    print(f"ready {server.get_bound_port()}", flush=True)
    loop.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
