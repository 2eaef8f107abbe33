// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A media control that records every call made on it, in order, and answers
// property reads with a status the test sets. Shared by the window tests.
#include "media/control/media_control.h"
#include "ui/camera/media_factory.h"

#include <string>
#include <vector>

namespace veskat_test {

struct MediaCall {
    enum class Kind { Put, Get, Invoke };
    Kind kind = Kind::Put;
    int dispId = 0;
    media::DispValue value;

    bool operator==(const MediaCall&) const = default;
};

inline MediaCall put(int dispId, media::DispValue value)
{
    return { MediaCall::Kind::Put, dispId, std::move(value) };
}

inline MediaCall invoke(int dispId)
{
    return { MediaCall::Kind::Invoke, dispId, {} };
}

std::string describe(const MediaCall& call);

class RecordingMediaControl : public media::MediaControl {
public:
    using media::MediaControl::MediaControl;

    void putProperty(int dispId, const media::DispValue& value) override
    {
        calls.push_back({ MediaCall::Kind::Put, dispId, value });
    }
    media::DispValue getProperty(int dispId) const override
    {
        calls.push_back({ MediaCall::Kind::Get, dispId, {} });
        return dispId == media::DispId::Status ? media::DispValue(status) : media::DispValue();
    }
    void invoke(int dispId) override { calls.push_back({ MediaCall::Kind::Invoke, dispId, {} }); }

    mutable std::vector<MediaCall> calls;
    std::int32_t status = 0;
};

// Installs a factory for as long as it lives; the real control comes back after.
class ScopedMediaFactory {
public:
    explicit ScopedMediaFactory(camera::MediaControlFactory factory)
    {
        camera::setMediaControlFactory(std::move(factory));
    }
    ~ScopedMediaFactory() { camera::setMediaControlFactory({}); }
    ScopedMediaFactory(const ScopedMediaFactory&) = delete;
    ScopedMediaFactory& operator=(const ScopedMediaFactory&) = delete;
};

inline camera::MediaControlFactory recordingFactory()
{
    return [](QWidget* parent) -> media::MediaControl* { return new RecordingMediaControl(parent); };
}

} // namespace veskat_test
