#pragma once

#include "app/core/camera_service.h"
#include "camera/device/device_manager.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace shutterhand {

class ApplicationCore;

// The camera session, the picture intake and the image store on the application core: the camera
// list, choosing and connecting a camera, cameras that come and go, the release of the shutter and its
// time limit, the arrival of new pictures, deleting on the camera, and storing pictures.
class CameraSession : public QObject, public CameraService {
    Q_OBJECT

public:
    CameraSession(ApplicationCore& core, DeviceManager& manager, QObject* parent = nullptr);
    ~CameraSession() override;

    // CameraService
    void RefreshDeviceList() override;
    void RegisterDeviceEvents() override;
    void ReleaseDeviceService() override;
    QList<std::pair<QString, QString>> PollDeviceProperties() override;
    void ComboBox1Change(int index) override;
    void BitBtn1Click() override;
    void SaveShownPictureAs() override;
    void AskClearImageStore() override;
    void ToggleExifOverlay() override;
    bool exifOverlayChecked() const override { return m_exifChecked; }
    CameraInfo cameraInfo() const override;
    void SelectDeviceByName(const QString& name) override;
    void TriggerPicture() override;
    FileResult DeleteCameraItems() override;
    FileResult SaveCurrentImage(const QString& fileName) override;
    void ClearImageStore() override;
    void ClearImage() override;
    QString shownPictureFile() const override { return m_shownFile; }
    QSize shownPictureSize() const override;

    // The operations of the session that the ones above are made of.
    // Connects the last listed camera of that name; none when there is none or it fails.
    std::shared_ptr<Device> ConnectDeviceByName(const QString& name);
    QString GetDeviceNameByID(const QString& deviceId);
    bool SupportsTakePicture() const;
    void DisableCameraButtons();
    // A device event, delivered by the device manager.
    void DeviceManager1Event(const QString& eventId, const QString& deviceId, const QString& itemId);

    // --- what the main window shows, for tests and the window
    const QStringList& cameraEntries() const { return m_entries; }
    int cameraIndex() const { return m_index; }
    bool cameraListEnabled() const { return m_listEnabled; }
    QString shownCameraText() const;
    bool releaseEnabled() const { return m_releaseEnabled && !m_releasing; }
    bool cameraInfoEnabled() const { return m_infoEnabled; }
    bool seriesEnabled() const { return m_seriesEnabled; }
    const QString& statusText() const { return m_status; }
    bool saveAsEnabled() const { return m_saveAsEnabled; }
    const QString& exifText() const { return m_exifText; }
    bool releaseUnderWay() const { return m_releasing; }
    Device* currentDevice() const { return m_device.get(); }

private:
    DeviceServiceSettings serviceSettings() const;
    void ensureService();
    void showList();
    void showControls();
    void showStatus(const QString& text);
    void releaseCurrentDevice(const QString& reason);
    void watchDevice(Device* device);
    int captureTimeoutMs() const;

    // The end of a release: its picture is here, or it failed (`reason` is logged after the fixed
    // failure text), or the camera delivered no JPEG.
    void endRelease();
    void failRelease(const QString& reason);
    void onReleaseAnswered(Device* device, const QString& error);
    void onItemsRemoved(Device* device, const QString& error);
    void releaseCursor();

    // The picture intake (camera_session_intake.cpp).
    void takeInPicture(const QString& itemId);
    bool takeInJpeg(const std::shared_ptr<DeviceItem>& item);
    void intakeFailed(const QString& message);
    void UpdateExifLabel();

    ApplicationCore& m_core;
    DeviceManager& m_manager;
    std::shared_ptr<Device> m_device;  // CurrentDevice

    QStringList m_entries;
    QStringList m_entryIds;  // the device ID behind each entry
    int m_index = -1;
    bool m_listEnabled = false;
    bool m_releaseEnabled = false;
    bool m_infoEnabled = false;
    bool m_seriesEnabled = false;
    QString m_status;
    bool m_connecting = false;
    bool m_serviceStarted = false;

    bool m_releasing = false;
    QPointer<Device> m_releaseDevice;
    bool m_releaseCursor = false;
    int m_deleteCursors = 0;
    QTimer m_releaseLimit;  // CaptureTimeout
    QTimer m_noJpegGrace;   // a release that brought only a RAW file

    QString m_shownFile;
    bool m_saveAsEnabled = false;
    QString m_exifText;
    bool m_exifChecked = false;
};

}  // namespace shutterhand
