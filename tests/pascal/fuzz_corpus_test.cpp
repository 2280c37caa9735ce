// Every input the fuzzers found worth keeping (fuzz/pascal/corpus and regressions) compiles to
// messages or code and runs to an end or a clean error, here under the sanitizers of the test build.

#include "pascal/engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace shutterhand::pascal;

namespace {

TEST(FuzzCorpus, EveryInputEndsCleanly)
{
    int files = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        fs::path dir = fs::path(PASCAL_FUZZ_DIR) / folder;
        if (!fs::exists(dir))
            continue;
        for (const auto& entry : fs::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream buffer;
            buffer << in.rdbuf();
            Engine engine;
            engine.setScript(buffer.str());
            engine.setCompileHook([](CompileContext& ctx) {
                ctx.declareVariable("DeviceName", "string");
                ctx.declareRoutine("procedure ShowMessage(Message: string);", [](HostCall&) {});
            });
            bool compiled = engine.compile();
            EXPECT_TRUE(compiled || !engine.messages().empty()) << entry.path();
            if (compiled) {
                engine.setTimeLimit(std::chrono::milliseconds(100));
                engine.setMaxCallDepth(200);
                engine.setMemoryLimit(std::size_t(32) << 20);
                bool ran = engine.execute();
                EXPECT_TRUE(ran || !engine.errorText().empty()) << entry.path();
            }
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}

}  // namespace
