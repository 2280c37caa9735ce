// shutterhand-tool script check|run: exit codes, and where messages, output and errors go.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

Result runTool(const std::string& mode, const std::string& script)
{
    fs::path dir = fs::temp_directory_path() / ("pascal-tool-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path source = dir / "action.pas";
    std::ofstream(source, std::ios::binary) << script;
    std::string command = std::string("'") + SHUTTERHAND_TOOL + "' script " + mode + " '" + source.string() + "' >'"
        + (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    int status = std::system(command.c_str());
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readAll(dir / "out");
    r.err = readAll(dir / "err");
    fs::remove_all(dir);
    return r;
}

TEST(ScriptCommand, ChecksAndRuns)
{
    struct Row {
        const char* mode;
        const char* script;
        int exitCode;
        const char* out;
        const char* err;
    };
    const Row rows[] = {
        {"check", "begin ShowMessage('hi'); end.", 0, "", ""},
        {"check", "begin\n  Foo;\nend.", 1, "[Error] (2:3): Unknown identifier 'Foo'\n", ""},
        {"run", "begin ShowMessage('hi'); ShowMessage('two' + #10 + 'lines'); end.", 0, "hi\ntwo\nlines\n", ""},
        {"run", "begin\n  Foo;\nend.", 1, "", "[Error] (2:3): Unknown identifier 'Foo'\n"},
        {"run", "begin ShowMessage('before'); raise Exception.Create('boom'); end.", 2, "before\n",
         "Exception: boom\n"},
        {"run", "var a: Integer;\nbegin\n  a := 0;\n  a := 1 div a;\nend.", 2, "",
         "Runtime error (4:10): Division by zero\n"},
    };
    for (const Row& row : rows) {
        Result r = runTool(row.mode, row.script);
        EXPECT_EQ(r.exitCode, row.exitCode) << row.script;
        EXPECT_EQ(r.out, row.out) << row.script;
        EXPECT_EQ(r.err, row.err) << row.script;
    }
}

TEST(ScriptCommand, UsageAndUnreadableFiles)
{
    std::string usage = std::string("'") + SHUTTERHAND_TOOL + "' script >/dev/null 2>&1";
    int status = std::system(usage.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::string missing = std::string("'") + SHUTTERHAND_TOOL + "' script run /nonexistent/action.pas >/dev/null 2>&1";
    status = std::system(missing.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
