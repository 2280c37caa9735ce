#pragma once

#include "camera/device/device_types.h"

#include <gphoto2/gphoto2.h>

#include <QString>

#include <memory>
#include <mutex>

namespace shutterhand::gphoto {

// Owners of the camera library's handles.
struct ContextUnref {
    void operator()(GPContext* context) const { gp_context_unref(context); }
};
struct CameraUnref {
    void operator()(Camera* camera) const { gp_camera_unref(camera); }
};
struct ListUnref {
    void operator()(CameraList* list) const { gp_list_unref(list); }
};
struct WidgetFree {
    void operator()(CameraWidget* widget) const { gp_widget_free(widget); }
};
struct FileUnref {
    void operator()(::CameraFile* file) const { gp_file_unref(file); }
};
struct PortListFree {
    void operator()(GPPortInfoList* list) const { gp_port_info_list_free(list); }
};
struct AbilitiesListFree {
    void operator()(CameraAbilitiesList* list) const { gp_abilities_list_free(list); }
};
using ContextPtr = std::unique_ptr<GPContext, ContextUnref>;
using CameraPtr = std::unique_ptr<Camera, CameraUnref>;
using ListPtr = std::unique_ptr<CameraList, ListUnref>;
using WidgetPtr = std::unique_ptr<CameraWidget, WidgetFree>;
using FilePtr = std::unique_ptr<::CameraFile, FileUnref>;

// The one conversion from the library's result codes to our errors. `waiting` marks the wait for
// events, where every failure means the connection is gone.
DeviceError toDeviceError(int result, const QString& what, bool waiting = false);

// The camera library's list of drivers, loaded once for the whole program. Loading drivers and port
// lists, looking them up and initialising a camera are not safe to run at the same time on two
// threads; every such step holds lock().
class Library {
public:
    // The loaded library; also makes the process ignore SIGPIPE, since the library writes to network
    // sockets that the camera may have closed, which would otherwise end the program.
    static std::shared_ptr<Library> instance();

    std::unique_lock<std::mutex> lock() { return std::unique_lock(m_mutex); }
    CameraAbilitiesList* abilities() const { return m_abilities.get(); }
    // The port list, loaded at its first use (a program without cameras never loads the port drivers)
    // and kept: a USB or network port that appears later is found by its path all the same. The caller
    // holds lock().
    GPPortInfoList* ports();
    // Sets a new camera's driver (by its model name in the driver list) and its port (by path,
    // including network ports that are not listed); the caller holds lock().
    DeviceStatus configure(Camera* camera, GPPortInfoList* ports, const QString& driverModel, const QString& port);

    Library();

private:
    std::mutex m_mutex;
    std::unique_ptr<CameraAbilitiesList, AbilitiesListFree> m_abilities;
    std::unique_ptr<GPPortInfoList, PortListFree> m_ports;
};

// Closes an initialised camera (gp_camera_exit) and keeps standard input intact; takes the library lock.
void ExitCamera(Library& library, Camera* camera, GPContext* context);

// The driver model the library uses for a network (PTP/IP) camera.
inline const char* const kNetworkDriverModel = "PTP/IP Camera";

}  // namespace shutterhand::gphoto
