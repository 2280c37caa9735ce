#pragma once

#include "common/atomic_file.h"
#include "config/system_config.h"

#include <QString>

#include <memory>

namespace shutterhand {

class ApplicationCore;

// How Image.SaveToFile names the picture; the numbers are those of the script type TImageSaveType.
enum class ImageSaveType { STAuto = 0, STFilename = 1, STDialog = 2 };

// The object behind the script's Application: a configuration and the program's own operations.
class TMyApplication {
public:
    // `config` may be null (a script that passes nil to the constructor); Config then gives nil.
    TMyApplication(ApplicationCore& core, std::shared_ptr<TSystemConfig> config);

    // The main window closes as soon as the running action has ended.
    void close();
    // Selects and connects every camera list entry that equals the name exactly.
    void SelectDevice(const QString& deviceName);
    // Starts a program with parameters, or opens a document, folder or address with its application.
    void StartApp(const QString& appName, const QString& parameter);
    // The camera properties dialog.
    void ShowCameraInfo();
    // The about dialog.
    void ShowInfo();
    // Releases the shutter when a connected camera can take pictures; nothing otherwise.
    void TakePicture();
    const std::shared_ptr<TSystemConfig>& Config() const { return m_config; }

private:
    ApplicationCore& m_core;
    std::shared_ptr<TSystemConfig> m_config;
};

// The object behind the script's Camera.
class TMyCamera {
public:
    explicit TMyCamera(ApplicationCore& core)
        : m_core(core)
    { }
    // Deletes all pictures on the connected camera; fails without one.
    FileResult DeleteItems();

private:
    ApplicationCore& m_core;
};

// The object behind the script's File.
class TMyFile {
public:
    explicit TMyFile(ApplicationCore& core)
        : m_core(core)
    { }
    // Deletes a file and the thumbnail beside it. A bare name means a file in the Images folder. A file
    // that is not there is no error; one that cannot be deleted (or a folder) is.
    FileResult Delete(const QString& fileName);

private:
    ApplicationCore& m_core;
};

// The object behind the script's Image: the picture shown in the main window.
class TMyImage {
public:
    explicit TMyImage(ApplicationCore& core)
        : m_core(core)
    { }
    // Raises SaveImage, then stores the shown picture (see ImageSaveType); a cancelled dialog is no error.
    FileResult SaveToFile(ImageSaveType saveType, const QString& fileName);
    // Puts the shown picture on the clipboard; without a picture nothing happens.
    void ToClipboard();
    // Shows the placeholder picture.
    void Clear();
    // The number the next automatically named picture gets.
    int Count() const;
    // The shown picture's width and height in pixels; 0 without a picture.
    int Width() const;
    int Height() const;

private:
    ApplicationCore& m_core;
};

}  // namespace shutterhand
