// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The program's open windows in the order they were created: the frame first,
// then the configuration window and the camera windows as they open. Windows
// add themselves; an entry goes when its window is destroyed, or earlier when
// the window reports itself closed. This is our own list, not Qt's widget list,
// so that creation order holds and windows of other kinds never show up.
//
// A window that is a camera window carries the Qt property "ppCameraNum".
//
// Thread: UI thread only.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

namespace platform {

class OpenWindowList : public QObject {
    Q_OBJECT
public:
    static OpenWindowList& instance();

    // Appends `window` (once). It leaves the list when destroyed.
    void add(QWidget* window);
    // For windows that close without being destroyed at once.
    void remove(QWidget* window);

    int count() const;
    // Null when k is out of range.
    QWidget* at(int k) const;
    QString caption(int k) const;
    // The window's camera index, or nullopt for a window that is not a camera window.
    std::optional<int> cameraNumber(int k) const;

private:
    OpenWindowList() = default;
    void prune() const;

    mutable std::vector<QPointer<QWidget>> m_windows;
};

} // namespace platform
