// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/window_list/open_window_list.h"

#include <algorithm>

namespace platform {

OpenWindowList& OpenWindowList::instance()
{
    static OpenWindowList list;
    return list;
}

void OpenWindowList::add(QWidget* window)
{
    if (!window)
        return;
    prune();
    if (std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end())
        return;
    m_windows.emplace_back(window);
    // QPointer already turns null on destruction; dropping the entry at once keeps
    // positions right for a caller that counts while windows go away.
    connect(window, &QObject::destroyed, this, [this](QObject* gone) {
        std::erase_if(m_windows, [gone](const QPointer<QWidget>& w) {
            return w.isNull() || static_cast<QObject*>(w.data()) == gone;
        });
    });
}

void OpenWindowList::remove(QWidget* window)
{
    if (!window)
        return;
    disconnect(window, &QObject::destroyed, this, nullptr);
    std::erase_if(
        m_windows, [window](const QPointer<QWidget>& w) { return w.isNull() || w.data() == window; });
}

void OpenWindowList::prune() const
{
    std::erase_if(m_windows, [](const QPointer<QWidget>& w) { return w.isNull(); });
}

int OpenWindowList::count() const
{
    prune();
    return static_cast<int>(m_windows.size());
}

QWidget* OpenWindowList::at(int k) const
{
    prune();
    if (k < 0 || k >= static_cast<int>(m_windows.size()))
        return nullptr;
    return m_windows[static_cast<std::size_t>(k)];
}

QString OpenWindowList::caption(int k) const
{
    const QWidget* window = at(k);
    return window ? window->windowTitle() : QString();
}

std::optional<int> OpenWindowList::cameraNumber(int k) const
{
    const QWidget* window = at(k);
    if (!window)
        return std::nullopt;
    const QVariant number = window->property("ppCameraNum");
    bool ok = false;
    const int value = number.toInt(&ok);
    if (!number.isValid() || !ok)
        return std::nullopt;
    return value;
}

} // namespace platform
