// SPDX-License-Identifier: GPL-2.0-or-later
#include "bench/stream-bench/bench_clients.h"

#include "core/media_contract/dispatch.h"
#include "media/control/mjpeg_control.h"

#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <memory>
#include <vector>

namespace bench {

OurFigures collectFigures(const std::vector<const media::MjpegControl*>& controls)
{
    OurFigures figures;
    media::LatencyHistogram latency;
    for (const media::MjpegControl* control : controls) {
        const media::MediaStats s = control->stats();
        figures.received += s.received;
        figures.decoded += s.decoded;
        figures.skipped += s.skipped;
        figures.drawn += s.drawn;
        figures.droppedBeforeDecode += s.droppedBeforeDecode;
        figures.droppedBeforeDraw += s.droppedBeforeDraw;
        figures.unseen += s.unseen;
        latency.merge(s.latency);
    }
    figures.latencyP50Ms = latency.percentile(0.50);
    figures.latencyP99Ms = latency.percentile(0.99);
    return figures;
}

OurFigures runOurControls(
    const veskat_test::TestcamProcess& camera, int cameras, double warmupSeconds, double seconds)
{
    std::vector<std::unique_ptr<media::MjpegControl>> controls;
    for (int i = 0; i < cameras; ++i) {
        auto* control = dynamic_cast<media::MjpegControl*>(media::createMediaControl(nullptr));
        if (!control)
            return {};
        controls.emplace_back(control);
        control->resize(254, 213);
        control->move((i % 7) * 260, (i / 7) * 220);
        control->show();
        control->putProperty(media::DispId::Url, camera.url(i).toStdString());
        control->putProperty(media::DispId::MediaType, std::string("mjpeg"));
        control->putProperty(media::DispId::NetworkTimeout, std::int32_t { 25000 });
        control->invoke(media::DispId::Start);
    }
    const auto playing = [&] {
        return static_cast<int>(std::count_if(controls.begin(), controls.end(),
            [](const auto& c) { return c->status() == media::Status::Playing; }));
    };
    waitUntil([&] { return playing() == cameras; }, 30000);
    waitMs(static_cast<int>(warmupSeconds * 1000));

    OurFigures figures;
    figures.playing = playing();
    for (auto& control : controls)
        control->resetStats();
    figures.rssStartKiB = currentRssKiB();
    const double cpuStart = selfCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitMs(static_cast<int>(seconds * 1000));
    figures.cpuSeconds = selfCpuSeconds() - cpuStart;
    figures.wallSeconds = wall.elapsed() / 1000.0;
    figures.rssEndKiB = currentRssKiB();

    std::vector<const media::MjpegControl*> measured;
    for (auto& control : controls)
        measured.push_back(control.get());
    const OurFigures counted = collectFigures(measured);
    figures.received = counted.received;
    figures.decoded = counted.decoded;
    figures.skipped = counted.skipped;
    figures.drawn = counted.drawn;
    figures.droppedBeforeDecode = counted.droppedBeforeDecode;
    figures.droppedBeforeDraw = counted.droppedBeforeDraw;
    figures.unseen = counted.unseen;
    figures.latencyP50Ms = counted.latencyP50Ms;
    figures.latencyP99Ms = counted.latencyP99Ms;
    figures.areaWidth = 254;
    figures.areaHeight = 213;
    for (auto& control : controls)
        control->invoke(media::DispId::Stop);
    controls.clear();
    waitMs(200);
    return figures;
}

namespace {

struct FfmpegClient {
    std::unique_ptr<QProcess> process;
    unsigned long long lastFrame = 0;
    QByteArray pending;

    void readProgress()
    {
        pending += process->readAllStandardOutput();
        int newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(newline).trimmed();
            pending.remove(0, newline + 1);
            if (line.startsWith("frame="))
                lastFrame = line.mid(6).toULongLong();
        }
    }
};

} // namespace

FfmpegFigures runFfmpeg(const QString& ffmpeg, const veskat_test::TestcamProcess& camera, int cameras,
    double warmupSeconds, double seconds)
{
    std::vector<FfmpegClient> clients(static_cast<std::size_t>(cameras));
    for (int i = 0; i < cameras; ++i) {
        FfmpegClient& client = clients[static_cast<std::size_t>(i)];
        client.process = std::make_unique<QProcess>();
        client.process->setProgram(ffmpeg);
        client.process->setArguments({ "-nostdin", "-loglevel", "error", "-progress", "pipe:1",
            "-stats_period", "0.5", "-i", camera.url(i), "-vf", "scale=254:213", "-f", "null", "-" });
        client.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client.process->start();
    }
    const auto pump = [&] {
        for (FfmpegClient& client : clients)
            client.readProgress();
    };
    waitUntil(
        [&] {
            pump();
            return std::all_of(
                clients.begin(), clients.end(), [](const FfmpegClient& c) { return c.lastFrame > 0; });
        },
        30000);
    waitMs(static_cast<int>(warmupSeconds * 1000));
    pump();

    FfmpegFigures figures;
    std::vector<unsigned long long> framesStart;
    double cpuStart = 0;
    for (FfmpegClient& client : clients) {
        framesStart.push_back(client.lastFrame);
        const double cpu = processCpuSeconds(client.process->processId());
        if (cpu >= 0) {
            cpuStart += cpu;
            ++figures.running;
        }
    }
    QElapsedTimer wall;
    wall.start();
    waitMs(static_cast<int>(seconds * 1000));
    pump();
    figures.wallSeconds = wall.elapsed() / 1000.0;
    double cpuEnd = 0;
    for (std::size_t i = 0; i < clients.size(); ++i) {
        const double cpu = processCpuSeconds(clients[i].process->processId());
        if (cpu >= 0)
            cpuEnd += cpu;
        figures.pictures += clients[i].lastFrame - framesStart[i];
    }
    figures.cpuSeconds = cpuEnd - cpuStart;
    for (FfmpegClient& client : clients) {
        client.process->kill();
        client.process->waitForFinished(5000);
    }
    return figures;
}

} // namespace bench
