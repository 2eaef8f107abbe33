// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Wraps the real media control and records the calls the camera window makes
// on it, so that a test against veskat-testcam can see the restarts.
#include "media/control/media_control.h"
#include "tests/ui/camera/recording_control.h"

#include <QVBoxLayout>

namespace monitor_test {

class ForwardingControl : public media::MediaControl {
public:
    ForwardingControl(QWidget* parent, std::shared_ptr<ControlScript> record)
        : media::MediaControl(parent)
        , m_record(std::move(record))
        , m_inner(media::createMediaControl(this))
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        if (m_inner)
            layout->addWidget(m_inner);
    }

    bool hasRealControl() const { return m_inner != nullptr; }

    void putProperty(int dispId, const media::DispValue& value) override
    {
        m_record->calls.push_back({ Call::Put, dispId, value });
        if (m_inner)
            m_inner->putProperty(dispId, value);
    }
    media::DispValue getProperty(int dispId) const override
    {
        m_record->calls.push_back({ Call::Get, dispId, {} });
        return m_inner ? m_inner->getProperty(dispId) : media::DispValue {};
    }
    void invoke(int dispId) override
    {
        m_record->calls.push_back({ Call::Invoke, dispId, {} });
        if (m_inner)
            m_inner->invoke(dispId);
    }

    // The status as the control has it now, without recording a read.
    std::int32_t currentStatus() const
    {
        return m_inner ? media::toInt32(m_inner->getProperty(media::DispId::Status)) : 0;
    }

private:
    std::shared_ptr<ControlScript> m_record;
    media::MediaControl* m_inner;
};

} // namespace monitor_test
