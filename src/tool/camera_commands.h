#pragma once

namespace shutterhand {

// shutterhand-tool cameras [--simulated] [--port PORT]... [--no-usb]
// One line per camera: its name and its ID, separated by a tab.
int runCamerasCommand(int argc, char** argv);

// shutterhand-tool capture [--camera NAME] [--output FILE] [--simulated] [--port PORT]... [--no-usb]
// Releases the camera, waits for its JPEG picture and stores it; prints the file's path.
int runCaptureCommand(int argc, char** argv);

// shutterhand-tool properties [--camera NAME] [--simulated] [--port PORT]... [--no-usb]
// One line per property: name, value and "read-only" or "writable", separated by tabs.
int runPropertiesCommand(int argc, char** argv);

}  // namespace shutterhand
