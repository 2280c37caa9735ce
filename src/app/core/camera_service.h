#pragma once

#include "common/atomic_file.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <utility>

namespace shutterhand {

// One row of the camera properties dialog: a property (name, value, read-only mark), an event or a
// command (name and ID in `value`).
struct CameraInfoRow {
    QString name;
    QString value;
    bool readOnly = false;

    bool operator==(const CameraInfoRow&) const = default;
};

// What the camera properties dialog lists: the connected camera's properties, events and commands.
struct CameraInfo {
    QList<CameraInfoRow> properties;
    QList<CameraInfoRow> events;
    QList<CameraInfoRow> commands;
};

// The camera session, the picture intake and the image store, as the application core reaches them.
// The camera subsystem implements it; the core forwards the operations that other parts call and runs
// the session's share of start-up, poll timer and shutdown. Everything runs on the UI thread.
class CameraService {
public:
    virtual ~CameraService() = default;

    // --- start-up, poll timer, shutdown
    // Fills the camera list (start-up step 14 and the device events).
    virtual void RefreshDeviceList() = 0;
    // Connects the device service and registers the device events for all devices (step 15).
    virtual void RegisterDeviceEvents() = 0;
    // Lets go of the camera and of the device service at the end of the program.
    virtual void ReleaseDeviceService() = 0;
    // For a poll tick: the connected camera's properties (name, value as text) when the camera list
    // shows a camera and one is connected, else none. Fresh values are asked for the next tick.
    virtual QList<std::pair<QString, QString>> PollDeviceProperties() = 0;

    // --- the main window's controls
    // The user chose the camera list's entry `index` ("ComboBox1Change").
    virtual void ComboBox1Change(int index) = 0;
    // The button "Auslösen".
    virtual void BitBtn1Click() = 0;
    // The picture's context menu entry "Bild speichern unter...".
    virtual void SaveShownPictureAs() = 0;
    // The menu entry "Bildspeicher löschen...": asks, then clears the image store.
    virtual void AskClearImageStore() = 0;
    // The check entry "Exif- Daten einblenden".
    virtual void ToggleExifOverlay() = 0;
    virtual bool exifOverlayChecked() const = 0;
    // What the camera properties dialog shows (empty lists without a connected camera).
    virtual CameraInfo cameraInfo() const = 0;

    // --- operations that other parts (scripts, the series) call
    virtual void SelectDeviceByName(const QString& name) = 0;
    virtual void TriggerPicture() = 0;
    // Deletes the pictures on the camera; fails without a connected camera.
    virtual FileResult DeleteCameraItems() = 0;
    // Stores the shown picture (its JPEG data unchanged) under `fileName`; see the image store.
    virtual FileResult SaveCurrentImage(const QString& fileName) = 0;
    virtual void ClearImageStore() = 0;
    // Shows the placeholder picture of the Data folder in place of the picture.
    virtual void ClearImage() = 0;
    // The file of the picture shown now; empty before the first picture.
    virtual QString shownPictureFile() const = 0;
    // The size in pixels of the picture shown now; empty before the first picture.
    virtual QSize shownPictureSize() const = 0;
};

}  // namespace shutterhand
