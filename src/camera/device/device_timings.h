#pragma once

namespace shutterhand {

// The time limits of the device layer, in milliseconds. Tests shorten them; the program uses these.
struct DeviceTimings {
    int openMs = 30000;         // connecting a camera, including its description
    int commandMs = 30000;      // the answer to one command (release, properties, one deletion)
    int busyRetryMs = 3000;     // how long a "busy" camera is asked again before the release fails
    int busyRetryStepMs = 200;  // the pause between two such tries
    int pollIntervalMs = 30;    // the pause between two looks for camera events
    int eventWaitMs = 50;       // how long one look for camera events may wait
    int lostAfterFailures = 3;  // failed looks in a row after which the camera counts as gone
};

}  // namespace shutterhand
