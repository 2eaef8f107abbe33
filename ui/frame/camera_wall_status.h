// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The frame's status bar: how many cameras play, how many fail (their names
// and what went wrong on hover), and the pictures drawn per second by all of
// them. Refreshed once a second from what the controls already count; a
// refresh reads a few numbers per camera window and repaints only what changed.
//
// Thread: UI thread only.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <map>

class QLabel;
class QMdiArea;
class QStatusBar;

class CameraWallStatus : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 1000;

    CameraWallStatus(QMdiArea* area, QStatusBar* bar);

    // Counts again now (the timer calls it).
    void refresh();

    QLabel* playingLabel() const { return m_playing; }
    QLabel* failingLabel() const { return m_failing; }
    QLabel* rateLabel() const { return m_rate; }

private:
    QMdiArea* m_area;
    QLabel* m_playing;
    QLabel* m_failing;
    QLabel* m_rate;
    QTimer m_timer;
    QElapsedTimer m_sinceLast;
    std::map<const QObject*, std::uint64_t> m_lastDrawn; // per camera window
};
