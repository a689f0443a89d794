#!/usr/bin/python3
"""RTSP server for the tests (rtsptestserver.h); prints "ready PORT" once it listens and
serves until killed or until its standard input closes."""
import os
import sys
import threading

import gi

gi.require_version("Gst", "1.0")
gi.require_version("GstRtsp", "1.0")
gi.require_version("GstRtspServer", "1.0")
from gi.repository import Gio, GLib, Gst, GstRtsp, GstRtspServer  # noqa: E402

clip, transport, auth_method, user, password, content, tls, port = sys.argv[1:]
Gst.init(None)
server = GstRtspServer.RTSPServer(address="127.0.0.1", service=port)
factory = GstRtspServer.RTSPMediaFactory(shared=False)
source = 'filesrc location="%s" ! qtdemux name=d' % clip.replace("\\", "\\\\").replace('"', '\\"')
audio = "d.audio_0 ! queue ! aacparse ! rtpmp4gpay pt=97 name=pay"
factory.set_launch({
    "mjpeg": "( videotestsrc is-live=true ! video/x-raw,format=I420,width=320,height=176 ! "
             "jpegenc ! rtpjpegpay name=pay0 pt=26 )",
    "audio": f"( {source} {audio}0 )",
    "clip": f"( {source} d.video_0 ! queue ! h264parse ! rtph264pay name=pay0 pt=96 "
            f"config-interval=1 {audio}1 )",
}[content])
lower = GstRtsp.RTSPLowerTrans
factory.set_protocols({"tcp": lower.TCP, "udp": lower.UDP, "both": lower.TCP | lower.UDP}[
    "tcp" if tls == "tls" else transport])
if auth_method != "none" or tls == "tls":
    auth = GstRtspServer.RTSPAuth()
    token = GstRtspServer.RTSPToken()
    token.set_string(GstRtspServer.RTSP_TOKEN_MEDIA_FACTORY_ROLE, "viewer")
    if tls == "tls":
        pem = os.path.join(os.path.dirname(os.path.abspath(__file__)), "rtsps-test.pem")
        auth.set_tls_certificate(Gio.TlsCertificate.new_from_file(pem))
    if auth_method == "none":
        auth.set_default_token(token)
    elif auth_method == "digest":
        auth.set_supported_methods(GstRtsp.RTSPAuthMethod.DIGEST)
        auth.add_digest(user, password, token)
    else:
        auth.set_supported_methods(GstRtsp.RTSPAuthMethod.BASIC)
        auth.add_basic(GstRtspServer.RTSPAuth.make_basic(user, password), token)
    server.set_auth(auth)
    permissions = GstRtspServer.RTSPPermissions()
    permissions.add_role_from_structure(Gst.Structure.new_from_string(
        "viewer, media.factory.access=(boolean)true, media.factory.construct=(boolean)true"))
    factory.set_permissions(permissions)
server.get_mount_points().add_factory("/live", factory)
server.attach(None)


threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
print(f"ready {server.get_bound_port()}", flush=True)
GLib.MainLoop().run()
