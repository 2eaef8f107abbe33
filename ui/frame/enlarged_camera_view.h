// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One camera shown alone over the frame's whole client area. It borrows the
// camera window's picture area, the media control itself, so the stream, the
// monitor, the caption and the restarts go on untouched, and the control
// decodes at the size it is drawn. The picture keeps the camera's aspect
// ratio. The camera windows beneath are neither moved, resized nor
// restacked: returning shows the wall exactly as it was, and "Save Camera
// positions" meanwhile saves the wall.
//
// Thread: UI thread only.
#include <QPointer>
#include <QWidget>

class QLabel;
class frmCamera;

class EnlargedCameraView : public QWidget {
    Q_OBJECT
public:
    explicit EnlargedCameraView(QWidget* parent);
    ~EnlargedCameraView() override; // gives the picture back

    // Shows `camera` enlarged (another one shown before returns first).
    // Does nothing when the camera cannot lend its picture.
    void enlarge(frmCamera* camera);
    // Gives the picture back and hides; nothing to do when none is shown.
    void restore();
    frmCamera* camera() const;

signals:
    // Escape: the frame decides how to return (and which window gets the focus).
    void returnRequested();
    // The picture went back to its window.
    void restored();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pictureTakenBack();
    void updateHeader();
    // The largest rectangle of the picture's aspect ratio, centred on the stage.
    void placePicture();

    QPointer<frmCamera> m_camera;
    QPointer<QWidget> m_picture;
    QLabel* m_caption = nullptr;
    QWidget* m_stage = nullptr; // the room below the header
    QList<QMetaObject::Connection> m_connections;
};
