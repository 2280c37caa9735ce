// shutterhand: the main program.

#include "actions/script/interpreter.h"
#include "actions/script/script_action_runner.h"
#include "app/core/application_core.h"
#include "app/core/unix_signals.h"
#include "app/widgets/main_window.h"
#include "app/widgets/widget_prompter.h"
#include "camera/camera_session.h"
#include "camera/device/device_manager.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would only print its raw platform error; say what is wrong and what helps.
bool haveDisplay()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv)
{
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "shutterhand: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "to run without a screen use: xvfb-run -a ./scripts/run.sh\n");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Shutterhand"));
    QApplication::setQuitOnLastWindowClosed(false);

    shutterhand::WidgetPrompter prompter;
    shutterhand::WidgetDesktop desktop;
    shutterhand::ApplicationCore core(QCoreApplication::applicationDirPath(), prompter, desktop);
    // Every program event runs its bound action with the script runner (which lives as long as anything
    // that can raise an event); the actions editor checks code with the same runner.
    shutterhand::ScriptActionRunner actionRunner(core);
    core.setActionRunner(&actionRunner);
    // The camera session outlives the window, whose closing releases the camera through the core.
    shutterhand::DeviceManager devices;
    shutterhand::CameraSession camera(core, devices);
    core.setCameraService(&camera);
    shutterhand::MainWindow window(core, prompter);
    prompter.setParentWidget(&window);
    window.setScriptCheck(
        [&core](const QString& code, QStringList& messages) { return shutterhand::CheckScript(core, code, messages); });

    // A logout, a service stop or Ctrl+C closes the program in its normal order, also while a message
    // box is open or the start-up is still running.
    bool terminationRequested = false;
    shutterhand::UnixSignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &shutterhand::UnixSignalWatcher::terminationRequested, &window, [&] {
        terminationRequested = true;
        while (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
            if (QApplication::activeModalWidget() == modal)
                break;
        }
        if (core.isStarted())
            window.close();
    });

    if (!window.startUp())
        return 1;
    if (terminationRequested) {
        window.close();
        return 0;
    }
    window.show();
    return app.exec();
}
