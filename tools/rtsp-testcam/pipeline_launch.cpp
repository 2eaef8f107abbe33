// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/rtsp-testcam/pipeline_launch.h"

#include <sstream>

namespace rtsptestcam {

Codec cameraCodec(const Options& options, int camera)
{
    return options.codecs[static_cast<std::size_t>(camera) % options.codecs.size()];
}

std::string pipelineLaunch(const Options& options, int camera)
{
    const Codec codec = cameraCodec(options, camera);
    // -1: the payloader sends the parameter sets before every key frame.
    // A resize needs them in-band as well, since the SDP keeps the old ones.
    const int configInterval = options.inbandParameterSets || options.resizeAfter >= 0 ? -1 : 0;
    std::ostringstream s;
    // A moving pattern costs the encoder about what a real scene does; the
    // speed differs per camera so a wall shows which is which. (videotestsrc's
    // round patterns cost several times more to draw and encode.)
    s << "( videotestsrc is-live=true pattern=" << (camera % 2 ? "smpte75" : "smpte")
      << " horizontal-speed=" << 2 + camera % 5 << " ! capsfilter name=" << kSizeFilterName
      << " caps=video/x-raw,format=I420,width=" << options.size.width << ",height=" << options.size.height
      << ",framerate=" << options.rate << "/1"
      << " ! valve name=" << kStallValveName << " drop=false ! ";
    switch (codec) {
    case Codec::H264:
        // One thread per encoder: a benchmark runs many cameras, and fewer,
        // busier threads cost less than x264's default pool per camera.
        // x264 repeats the parameter sets before every key frame by itself;
        // off, so that only the payloader decides (the SDP alone by default).
        s << "x264enc tune=zerolatency speed-preset=ultrafast bframes=0 threads=1 "
             "option-string=repeat-headers=0"
          << " key-int-max=" << options.gop << " ! rtph264pay name=" << kPayloaderName
          << " pt=96 config-interval=" << configInterval;
        break;
    case Codec::H265:
        s << "x265enc tune=zerolatency speed-preset=ultrafast key-int-max=" << options.gop
          << " option-string=\"pools=1:frame-threads=1:bframes=0:open-gop=0\""
          << " ! rtph265pay name=" << kPayloaderName << " pt=96 config-interval=" << configInterval;
        break;
    case Codec::Mjpeg:
        s << "jpegenc quality=" << options.quality << " ! rtpjpegpay name=" << kPayloaderName << " pt=26";
        break;
    }
    s << " )";
    return s.str();
}

std::vector<std::string> requiredElements(const Options& options)
{
    std::vector<std::string> elements { "videotestsrc", "capsfilter", "valve" };
    for (const Codec codec : options.codecs) {
        switch (codec) {
        case Codec::H264:
            elements.insert(elements.end(), { "x264enc", "rtph264pay" });
            break;
        case Codec::H265:
            elements.insert(elements.end(), { "x265enc", "rtph265pay" });
            break;
        case Codec::Mjpeg:
            elements.insert(elements.end(), { "jpegenc", "rtpjpegpay" });
            break;
        }
    }
    return elements;
}

} // namespace rtsptestcam
