// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Owning handles for the GLib and GStreamer objects the test camera keeps:
// every reference it takes is released by one of these, never by hand.
#include <glib-object.h>
#include <gst/gst.h>
#include <gst/rtsp-server/rtsp-server.h>

#include <memory>

namespace rtsptestcam {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct MainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};
struct CapsUnref {
    void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
};
struct TokenUnref {
    void operator()(GstRTSPToken* token) const { gst_rtsp_token_unref(token); }
};
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};

// Any GObject: GstElement, GstRTSPServer, GstRTSPMediaFactory, GstRTSPAuth, ...
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using MainLoopPtr = std::unique_ptr<GMainLoop, MainLoopUnref>;
using CapsPtr = std::unique_ptr<GstCaps, CapsUnref>;
using TokenPtr = std::unique_ptr<GstRTSPToken, TokenUnref>;
using GCharPtr = std::unique_ptr<gchar, GFree>;

} // namespace rtsptestcam
