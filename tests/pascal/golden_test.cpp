// Runs the golden cases under cases/: each program's output, run-time error or compile messages must
// match the expectations written after its final "end." (see regenerate.py for the format).

#include "pascal/engine.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace shutterhand::pascal;

namespace {

struct Case {
    std::string name;
    std::string program;
    bool hasOutput = false;
    std::string output;
    bool hasError = false;
    std::string error;
    bool hasMessages = false;
    std::string messages;
};

Case loadCase(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    Case c;
    c.name = path.parent_path().filename().string() + "/" + path.stem().string();
    std::size_t first = text.find("\n=== ");
    c.program = text.substr(0, first == std::string::npos ? text.size() : first + 1);
    std::size_t at = first;
    while (at != std::string::npos) {
        std::size_t headerStart = at + 1;
        std::size_t headerEnd = text.find('\n', headerStart);
        std::string header = text.substr(headerStart, headerEnd - headerStart);
        std::size_t next = text.find("\n=== ", headerEnd == std::string::npos ? text.size() : headerEnd);
        std::string body = headerEnd == std::string::npos
            ? std::string()
            : text.substr(headerEnd + 1, (next == std::string::npos ? text.size() : next + 1) - headerEnd - 1);
        if (header.rfind("=== output", 0) == 0) {
            c.hasOutput = true;
            c.output = body;
        } else if (header.rfind("=== error", 0) == 0) {
            c.hasError = true;
            c.error = body;
            while (!c.error.empty() && c.error.back() == '\n')
                c.error.pop_back();
        } else if (header.rfind("=== messages", 0) == 0) {
            c.hasMessages = true;
            c.messages = body;
        }
        at = next;
    }
    return c;
}

std::vector<fs::path> casePaths()
{
    std::vector<fs::path> paths;
    for (const auto& entry : fs::recursive_directory_iterator(PASCAL_CASES_DIR)) {
        if (entry.is_regular_file() && entry.path().extension() == ".pas")
            paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

class GoldenCase : public testing::TestWithParam<fs::path> { };

TEST_P(GoldenCase, MatchesExpectations)
{
    Case c = loadCase(GetParam());
    // File routines work relative to the current folder: give each case an empty one.
    struct Folder {
        fs::path previous = fs::current_path();
        fs::path dir = fs::temp_directory_path() / ("pascal-case-" + std::to_string(::getpid()));
        Folder()
        {
            fs::remove_all(dir);
            fs::create_directories(dir);
            fs::current_path(dir);
        }
        ~Folder()
        {
            fs::current_path(previous);
            fs::remove_all(dir);
        }
    } folder;

    Engine engine;
    std::string output;
    engine.setScript(c.program);
    engine.setCompileHook([&](CompileContext& ctx) {
        ctx.declareRoutine("procedure ShowMessage(const Message: string);",
                           [&](HostCall& call) { output += std::string(call.string(0)) + "\n"; });
    });
    bool compiled = engine.compile();
    std::string messages;
    for (const Diagnostic& d : engine.messages())
        messages += d.line() + "\n";
    if (c.hasMessages) {
        EXPECT_FALSE(compiled) << c.name;
        EXPECT_EQ(messages, c.messages) << c.name;
    } else {
        ASSERT_TRUE(compiled) << c.name << "\n" << messages;
        engine.setTimeLimit(std::chrono::seconds(20));
        bool ran = engine.execute();
        EXPECT_EQ(output, c.output) << c.name;
        if (c.hasError) {
            EXPECT_FALSE(ran) << c.name;
            EXPECT_EQ(engine.errorText(), c.error) << c.name;
        } else {
            EXPECT_TRUE(ran) << c.name << ": " << engine.errorText();
        }
    }
}

std::string caseName(const testing::TestParamInfo<fs::path>& info)
{
    std::string name = info.param.parent_path().filename().string() + "_" + info.param.stem().string();
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCase, testing::ValuesIn(casePaths()), caseName);

}  // namespace
