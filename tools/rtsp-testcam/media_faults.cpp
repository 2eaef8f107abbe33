// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/rtsp-testcam/media_faults.h"

#include "tools/rtsp-testcam/gst_handles.h"
#include "tools/rtsp-testcam/pipeline_launch.h"

#include <cstring>
#include <functional>
#include <random>

namespace rtsptestcam {

namespace {

// Runs `action` once after `seconds` on the default main context. The
// action holds its own references, so a media that went away meanwhile is harmless.
void after(double seconds, std::function<void()> action)
{
    auto* owned = new std::function<void()>(std::move(action));
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, static_cast<guint>(seconds * 1000),
        [](gpointer data) -> gboolean {
            (*static_cast<std::function<void()>*>(data))();
            return G_SOURCE_REMOVE;
        },
        owned, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

GObjectPtr<GstElement> childByName(GstElement* bin, const char* name)
{
    return GObjectPtr<GstElement>(gst_bin_get_by_name(GST_BIN(bin), name));
}

// State of one loss probe; a probe runs on one streaming thread at a time.
struct LossProbe {
    double share = 0;
    std::mt19937 random { std::random_device {}() };
    std::uniform_real_distribution<double> uniform { 0.0, 1.0 };

    // RTCP (packet types 200-204) passes: only pictures are lost.
    bool dropRtp(GstBuffer* buffer)
    {
        guint8 header[2] = {};
        if (gst_buffer_extract(buffer, 0, header, 2) == 2 && header[1] >= 200 && header[1] <= 204)
            return false;
        return uniform(random) < share;
    }
};

GstPadProbeReturn dropSomeRtp(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    auto* probe = static_cast<LossProbe*>(data);
    if (GstBuffer* buffer = gst_pad_probe_info_get_buffer(info))
        return probe->dropRtp(buffer) ? GST_PAD_PROBE_DROP : GST_PAD_PROBE_OK;
    if (GstBufferList* list = gst_pad_probe_info_get_buffer_list(info)) {
        list = gst_buffer_list_make_writable(list);
        GST_PAD_PROBE_INFO_DATA(info) = list;
        gst_buffer_list_foreach(
            list,
            [](GstBuffer** buffer, guint, gpointer user) -> gboolean {
                if (static_cast<LossProbe*>(user)->dropRtp(*buffer)) {
                    gst_buffer_unref(*buffer);
                    *buffer = nullptr; // removes it from the list
                }
                return TRUE;
            },
            probe);
    }
    return GST_PAD_PROBE_OK;
}

// The server adds its UDP sinks when a client sets up UDP; TCP clients are
// fed through other elements, so they see no loss.
void onElementAdded(GstBin*, GstBin*, GstElement* element, gpointer data)
{
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory
        || std::strcmp(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "multiudpsink") != 0)
        return;
    const GObjectPtr<GstPad> pad(gst_element_get_static_pad(element, "sink"));
    if (!pad)
        return;
    auto* probe = new LossProbe;
    probe->share = *static_cast<const double*>(data) / 100.0;
    gst_pad_add_probe(pad.get(),
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST), dropSomeRtp,
        probe, [](gpointer p) { delete static_cast<LossProbe*>(p); });
}

} // namespace

void armMediaFaults(GstRTSPMedia* media, const Options& options)
{
    const GObjectPtr<GstElement> element(gst_rtsp_media_get_element(media));
    if (options.stallAfter >= 0) {
        std::shared_ptr<GstElement> valve(
            childByName(element.get(), kStallValveName).release(), GObjectUnref());
        after(options.stallAfter, [valve] { g_object_set(valve.get(), "drop", TRUE, nullptr); });
    }
    if (options.resizeAfter >= 0) {
        std::shared_ptr<GstElement> filter(
            childByName(element.get(), kSizeFilterName).release(), GObjectUnref());
        const Size to = options.resizeTo;
        const int rate = options.rate;
        after(options.resizeAfter, [filter, to, rate] {
            const CapsPtr caps(gst_caps_new_simple("video/x-raw", "format", G_TYPE_STRING, "I420", "width",
                G_TYPE_INT, to.width, "height", G_TYPE_INT, to.height, "framerate", GST_TYPE_FRACTION, rate,
                1, nullptr));
            g_object_set(filter.get(), "caps", caps.get(), nullptr);
        });
    }
    if (options.udpLossPercent > 0) {
        // The media's pipeline is the element's parent once the factory built it.
        const GObjectPtr<GstObject> pipeline(gst_object_get_parent(GST_OBJECT(element.get())));
        if (pipeline && GST_IS_BIN(pipeline.get()))
            g_signal_connect(pipeline.get(), "deep-element-added", G_CALLBACK(onElementAdded),
                const_cast<double*>(&options.udpLossPercent));
    }
}

} // namespace rtsptestcam
