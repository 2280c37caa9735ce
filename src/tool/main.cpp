// shutterhand-tool: the program's parts from the command line, without windows.
//
//   shutterhand-tool <command> [arguments]
//
// Each command lives in a file of its own and is listed in the table below.

#include "tool/tool_command.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

const shutterhand::ToolCommand kCommands[] = {
    {"version", "print the program version", shutterhand::runVersionCommand},
    {"script", "check or run an action script", shutterhand::runScriptCommand},
    {"exif", "print the EXIF fields of pictures", shutterhand::runExifCommand},
    {"thumbnail", "make the thumbnails of pictures", shutterhand::runThumbnailCommand},
    {"film", "make an AVI film of pictures", shutterhand::runFilmCommand},
    {"cameras", "list the cameras: name and ID", shutterhand::runCamerasCommand},
    {"capture", "take a picture with a camera and store it", shutterhand::runCaptureCommand},
    {"properties", "list a camera's properties", shutterhand::runPropertiesCommand},
};

void printUsage(FILE* out)
{
    std::fprintf(out, "usage: shutterhand-tool <command> [arguments]\n\ncommands:\n");
    for (const auto& command : kCommands)
        std::fprintf(out, "  %-12s %s\n", command.name, command.summary);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    for (const auto& command : kCommands) {
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 2, argv + 2);
    }
    std::fprintf(stderr, "shutterhand-tool: unknown command '%s'\n\n", argv[1]);
    printUsage(stderr);
    return 2;
}
