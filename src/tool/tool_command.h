#pragma once

namespace shutterhand {

// One subcommand of shutterhand-tool: it gets the arguments after its own name and returns the exit code.
struct ToolCommand {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv);
};

int runVersionCommand(int argc, char** argv);
int runScriptCommand(int argc, char** argv);
int runExifCommand(int argc, char** argv);
int runThumbnailCommand(int argc, char** argv);
int runFilmCommand(int argc, char** argv);
int runCamerasCommand(int argc, char** argv);
int runCaptureCommand(int argc, char** argv);
int runPropertiesCommand(int argc, char** argv);

}  // namespace shutterhand
