// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A media control for tests: it records every call the camera window makes
// and answers status reads (property 15) from a script the test controls.
// The record outlives the control, so a test can look at it after the window
// and its control are gone.
#include "media/control/media_control.h"
#include "ui/camera/media_factory.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace monitor_test {

struct Call {
    enum Kind { Put, Get, Invoke } kind;
    int dispId;
    media::DispValue value;
};

struct ControlScript {
    // Each status read takes the front of `queued` if any, else `status`.
    std::int32_t status = 0;
    std::deque<std::int32_t> queued;
    std::vector<Call> calls;
    int controlsMade = 0;

    int count(Call::Kind kind, int dispId) const
    {
        int n = 0;
        for (const Call& c : calls)
            n += c.kind == kind && c.dispId == dispId;
        return n;
    }
    int statusReads() const { return count(Call::Get, media::DispId::Status); }
    int starts() const { return count(Call::Invoke, media::DispId::Start); }
    int stops() const { return count(Call::Invoke, media::DispId::Stop); }
    // Invocations (101/102) in order, as "start"/"stop".
    std::vector<std::string> invocations() const
    {
        std::vector<std::string> out;
        for (const Call& c : calls) {
            if (c.kind == Call::Invoke)
                out.push_back(c.dispId == media::DispId::Start ? "start"
                        : c.dispId == media::DispId::Stop      ? "stop"
                                                               : "?");
        }
        return out;
    }
};

class RecordingControl : public media::MediaControl {
public:
    RecordingControl(QWidget* parent, std::shared_ptr<ControlScript> script)
        : media::MediaControl(parent)
        , m_script(std::move(script))
    {
        ++m_script->controlsMade;
    }

    void putProperty(int dispId, const media::DispValue& value) override
    {
        m_script->calls.push_back({ Call::Put, dispId, value });
    }
    media::DispValue getProperty(int dispId) const override
    {
        m_script->calls.push_back({ Call::Get, dispId, {} });
        if (dispId != media::DispId::Status)
            return {};
        if (!m_script->queued.empty()) {
            const std::int32_t v = m_script->queued.front();
            m_script->queued.pop_front();
            return v;
        }
        return m_script->status;
    }
    void invoke(int dispId) override { m_script->calls.push_back({ Call::Invoke, dispId, {} }); }

private:
    std::shared_ptr<ControlScript> m_script;
};

// Installs a factory that makes recording controls for every new window and
// brings back the real one on destruction.
class RecordingFactory {
public:
    RecordingFactory()
    {
        camera::setMediaControlFactory([this](QWidget* parent) -> media::MediaControl* {
            auto script = std::make_shared<ControlScript>();
            m_scripts.push_back(script);
            return new RecordingControl(parent, script);
        });
    }
    ~RecordingFactory() { camera::setMediaControlFactory({}); }
    RecordingFactory(const RecordingFactory&) = delete;
    RecordingFactory& operator=(const RecordingFactory&) = delete;

    // The script of the k-th control made.
    ControlScript& script(std::size_t k = 0) { return *m_scripts.at(k); }
    std::shared_ptr<ControlScript> shared(std::size_t k = 0) { return m_scripts.at(k); }

private:
    std::vector<std::shared_ptr<ControlScript>> m_scripts;
};

} // namespace monitor_test
