// Speed of the script engine next to Lua 5.4 running the same programs in this process, and next to
// native code from Free Pascal for string building. Prints each figure, its reference and the ratio.
//
//   pascal_engine_bench [--fpc-concat PROGRAM]
//   pascal_engine_bench --firing-only
//
// PROGRAM is the Free Pascal build of concat.pas (run.sh makes it); without it that line is skipped.

#include "pascal/engine.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace shutterhand::pascal;
using Clock = std::chrono::steady_clock;

namespace {

double bestOf(int rounds, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        work();
        double took = std::chrono::duration<double>(Clock::now() - start).count();
        best = std::min(best, took);
    }
    return best;
}

// ---- the script engine ----

std::unique_ptr<Engine> compiled(const char* script)
{
    auto engine = std::make_unique<Engine>();
    engine->setScript(script);
    engine->setCompileHook([](CompileContext& ctx) {
        ctx.declareRoutine("procedure ShowMessage(Message: string);", [](HostCall& c) {
            std::printf("    (script says %s)\n", std::string(c.string(0)).c_str());
        });
    });
    if (!engine->compile()) {
        for (const Diagnostic& d : engine->messages())
            std::fprintf(stderr, "%s\n", d.line().c_str());
        std::exit(1);
    }
    return engine;
}

double runPascal(Engine& engine, int rounds)
{
    return bestOf(rounds, [&] {
        if (!engine.execute()) {
            std::fprintf(stderr, "run failed: %s\n", engine.errorText().c_str());
            std::exit(1);
        }
    });
}

// ---- Lua ----

double runLua(const char* chunk, int rounds, long long& result)
{
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    double t = bestOf(rounds, [&] {
        if (luaL_dostring(L, chunk) != LUA_OK) {
            std::fprintf(stderr, "lua: %s\n", lua_tostring(L, -1));
            std::exit(1);
        }
        result = lua_tointeger(L, -1);
        lua_settop(L, 0);
    });
    lua_close(L);
    return t;
}

void line(const char* what, double ours, const char* unit, const char* refName, double ref, const char* target)
{
    std::printf("%-34s ours %9.2f %s   %-12s %9.2f %s   ratio %5.2f   (target %s)\n", what, ours, unit, refName, ref,
                unit, ours / ref, target);
}

// ---- one firing of an action, with the program's object model ----

struct Counter {
    std::vector<std::pair<std::string, std::string>> vars{{"PictureCounter", "41"}, {"Images", "/srv/www/"}};
    std::string get(std::string_view name)
    {
        for (auto& v : vars) {
            if (v.first == name)
                return v.second;
        }
        return {};
    }
    void set(std::string_view name, std::string_view value)
    {
        for (auto& v : vars) {
            if (v.first == name) {
                v.second = value;
                return;
            }
        }
        vars.emplace_back(name, value);
    }
};

struct Objects {
    Counter vars;
    Counter dirs;
    int saved = 0;
    int shown = 0;
};

// The object model's declaration texts, built once per process and shared by every firing.
std::pair<std::shared_ptr<ImportSet>, std::shared_ptr<ImportSet>> objectModel()
{
    auto config = std::make_shared<ImportSet>("Configuration");
    config->addType("TVar", "record Name : string; VarType : string; Value : string; end");
    config->addClass("TVarContainer");
    config->addMethod("TVarContainer", "Function GetValueByName( Name : string) : string",
                      [](HostCall& c) { c.setResult(c.self<Counter>()->get(c.string(0))); });
    config->addMethod("TVarContainer", "Procedure SetValueByName( Name, Value : string)",
                      [](HostCall& c) { c.self<Counter>()->set(c.string(0), c.string(1)); });
    config->addMethod("TVarContainer", "Procedure InitValueByName( Name, VarType, Value : string)", [](HostCall&) {});
    config->addMethod("TVarContainer", "Function GetValueByID( Index : Integer) : TVar", [](HostCall&) {});
    config->addMethod("TVarContainer", "Function Count : Integer",
                      [](HostCall& c) { c.setResult(static_cast<int64_t>(c.self<Counter>()->vars.size())); });
    config->addMethod("TVarContainer", "Procedure Clear", [](HostCall&) {});
    config->addType("TDirectory", "record Dirname : string; Value : string; end");
    config->addClass("TDirectoryList");
    config->addMethod("TDirectoryList", "Function GetDirectoryByName( Dirname : string) : string",
                      [](HostCall& c) { c.setResult(c.self<Counter>()->get(c.string(0))); });
    config->addMethod("TDirectoryList", "Procedure SetDirectory( Dirname, Value : string)", [](HostCall&) {});
    config->addMethod("TDirectoryList", "Function GetDirectoryByID( Index : Integer) : TDirectory", [](HostCall&) {});
    config->addMethod("TDirectoryList", "Function Count : Word", [](HostCall&) {});
    config->addClass("TSystemConfig");
    config->addProperty("TSystemConfig", "Vars", "TVarContainer", PropertyAccess::ReadOnly,
                        [](HostCall& c) { c.setResultObject(&c.self<Objects>()->vars); });
    config->addProperty("TSystemConfig", "Directorys", "TDirectoryList", PropertyAccess::ReadOnly,
                        [](HostCall& c) { c.setResultObject(&c.self<Objects>()->dirs); });
    config->addProperty("TSystemConfig", "Version", "string", PropertyAccess::ReadOnly,
                        [](HostCall& c) { c.setResult("1.0"); });
    auto app = std::make_shared<ImportSet>("Application", std::vector<std::shared_ptr<const ImportSet>>{config});
    app->addType("TImageSaveType", "( STAuto, STFilename, STDialog )");
    app->addClass("TMyApplication");
    for (const char* heading : {"Procedure close", "Procedure SelectDevice( DeviceName : string)",
                                "Procedure StartApp( AppName : string; Parameter : string)", "Procedure ShowCameraInfo",
                                "Procedure ShowInfo", "Procedure TakePicture"})
        app->addMethod("TMyApplication", heading, [](HostCall&) {});
    app->addMethod("TMyApplication", "Function Config : TSystemConfig",
                   [](HostCall& c) { c.setResultObject(c.self<Objects>()); });
    app->addClass("TMyCamera");
    app->addMethod("TMyCamera", "Procedure DeleteItems", [](HostCall&) {});
    app->addClass("TMyFile");
    app->addMethod("TMyFile", "Procedure Delete( Filename : string)", [](HostCall&) {});
    app->addClass("TMyImage");
    app->addMethod("TMyImage", "Procedure SaveToFile( SaveType : TImageSaveType; const Filename : string)",
                   [](HostCall& c) { ++static_cast<Objects*>(c.userData())->saved; });
    app->addMethod("TMyImage", "Procedure ToClipboard", [](HostCall&) {});
    app->addMethod("TMyImage", "Procedure Clear", [](HostCall&) {});
    app->addProperty("TMyImage", "Count", "Integer", PropertyAccess::ReadOnly, [](HostCall& c) { c.setResult(1); });
    app->addProperty("TMyImage", "Width", "Integer", PropertyAccess::ReadOnly, [](HostCall& c) { c.setResult(3000); });
    app->addProperty("TMyImage", "Height", "Integer", PropertyAccess::ReadOnly, [](HostCall& c) { c.setResult(2000); });
    if (!config->errors().empty() || !app->errors().empty()) {
        std::fprintf(stderr, "declarations failed\n");
        std::exit(1);
    }
    return {config, app};
}

const char* kAction = R"(var
  Path, Name: string;
  Counter: Integer;
begin
  Path := Application.Config.Directorys.GetDirectoryByName('Images');
  Counter := StrToIntDef(Application.Config.Vars.GetValueByName('PictureCounter'), 0);
  Inc(Counter);
  Name := Format('%s%.5d_%s.jpg', [Path, Counter, DeviceName]);
  if Image.Width > 0 then
  begin
    Image.SaveToFile(STFilename, Name);
    Application.Config.Vars.SetValueByName('PictureCounter', IntToStr(Counter));
  end;
  if Counter mod 100 = 0 then
    ShowMessage('Saved ' + IntToStr(Counter) + ' pictures');
  if Pos('Canon', DeviceName) > 0 then
    Application.Config.Vars.SetValueByName('LastCamera', 'Canon')
  else
    Application.Config.Vars.SetValueByName('LastCamera', DeviceName);
end.
)";

const char* kLuaAction = R"(local path = getdir('Images')
local counter = tonumber(getvalue('PictureCounter')) or 0
counter = counter + 1
local name = string.format('%s%05d_%s.jpg', path, counter, devicename)
if imagewidth() > 0 then
  savetofile(1, name)
  setvalue('PictureCounter', tostring(counter))
end
if counter % 100 == 0 then
  showmessage('Saved ' .. tostring(counter) .. ' pictures')
end
if string.find(devicename, 'Canon', 1, true) then
  setvalue('LastCamera', 'Canon')
else
  setvalue('LastCamera', devicename)
end
)";

Objects luaObjects;

int luaGetValue(lua_State* L)
{
    lua_pushstring(L, luaObjects.vars.get(luaL_checkstring(L, 1)).c_str());
    return 1;
}
int luaGetDir(lua_State* L)
{
    lua_pushstring(L, luaObjects.dirs.get(luaL_checkstring(L, 1)).c_str());
    return 1;
}
int luaSetValue(lua_State* L)
{
    luaObjects.vars.set(luaL_checkstring(L, 1), luaL_checkstring(L, 2));
    return 0;
}
int luaWidth(lua_State* L)
{
    lua_pushinteger(L, 3000);
    return 1;
}
int luaSave(lua_State*)
{
    ++luaObjects.saved;
    return 0;
}
int luaShow(lua_State*)
{
    ++luaObjects.shown;
    return 0;
}

void luaRegister(lua_State* L)
{
    lua_register(L, "getvalue", luaGetValue);
    lua_register(L, "getdir", luaGetDir);
    lua_register(L, "setvalue", luaSetValue);
    lua_register(L, "imagewidth", luaWidth);
    lua_register(L, "savetofile", luaSave);
    lua_register(L, "showmessage", luaShow);
    lua_pushstring(L, "Canon EOS 80D");
    lua_setglobal(L, "devicename");
}

void luaFire(lua_State* L)
{
    if (luaL_loadstring(L, kLuaAction) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK) {
        std::fprintf(stderr, "lua: %s\n", lua_tostring(L, -1));
        std::exit(1);
    }
}

void firings(bool oursOnly)
{
    auto [config, app] = objectModel();
    Objects objects;
    objects.dirs.set("Images", "/srv/www/");
    struct Stub {
    } camera, file, image;
    auto fire = [&] {
        Engine engine;
        engine.setUserData(&objects);
        engine.addImportSet(config);
        engine.addImportSet(app);
        engine.setScript(kAction);
        engine.setCompileHook([&](CompileContext& ctx) {
            ctx.declareObject("Application", "TMyApplication");
            ctx.declareObject("Camera", "TMyCamera");
            ctx.declareObject("File", "TMyFile");
            ctx.declareObject("Image", "TMyImage");
            ctx.declareVariable("DeviceName", "string");
            ctx.declareRoutine("procedure ShowMessage(Message: string);", [&](HostCall&) { ++objects.shown; });
        });
        if (!engine.compile()) {
            for (const Diagnostic& d : engine.messages())
                std::fprintf(stderr, "%s\n", d.line().c_str());
            std::exit(1);
        }
        engine.setExecuteHook([&](ExecuteContext& ctx) {
            ctx.setString("DeviceName", "Canon EOS 80D");
            ctx.bindObject("Application", &objects);
            ctx.bindObject("Camera", &camera);
            ctx.bindObject("File", &file);
            ctx.bindObject("Image", &image);
        });
        if (!engine.execute()) {
            std::fprintf(stderr, "firing failed: %s\n", engine.errorText().c_str());
            std::exit(1);
        }
    };
    const int n = 2000;
    fire();  // the declarations of the standard library are built on first use
    double ours = bestOf(5,
                         [&] {
                             for (int i = 0; i < n; ++i)
                                 fire();
                         })
        / n * 1e6;
    if (oursOnly) {
        std::printf("one firing of a 20-line action: %.2f us\n", ours);
        return;
    }

    double fresh = bestOf(5,
                          [&] {
                              for (int i = 0; i < n; ++i) {
                                  lua_State* L = luaL_newstate();
                                  luaL_openlibs(L);
                                  luaRegister(L);
                                  luaFire(L);
                                  lua_close(L);
                              }
                          })
        / n * 1e6;
    lua_State* reused = luaL_newstate();
    luaL_openlibs(reused);
    luaRegister(reused);
    double again = bestOf(5,
                          [&] {
                              for (int i = 0; i < n; ++i)
                                  luaFire(reused);
                          })
        / n * 1e6;
    lua_close(reused);
    line("one firing of a 20-line action", ours, "us", "lua fresh", fresh, "<= 50 us, below lua fresh");
    std::printf("%-34s %57s %9.2f us\n", "", "lua reused", again);
    if (objects.saved == 0 || luaObjects.saved == 0)
        std::fprintf(stderr, "the actions did not run\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const char* fpcConcat = nullptr;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--fpc-concat") == 0)
            fpcConcat = argv[i + 1];
    }
    // --firing-only measures nothing but the firings of the engine, for profilers.
    if (argc == 2 && std::strcmp(argv[1], "--firing-only") == 0) {
        firings(true);
        return 0;
    }

    // Recursive Fibonacci.
    auto fib = compiled(R"(
function Fib(n: Integer): Integer;
begin
  if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2);
end;
begin
  if Fib(27) <> 196418 then ShowMessage('wrong result');
end.)");
    long long luaFib = 0;
    double luaFibTime
        = runLua("local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end return fib(27)",
                 5, luaFib);
    double fibTime = runPascal(*fib, 5);
    line("fib(27), recursive", fibTime * 1e3, "ms", "lua 5.4", luaFibTime * 1e3, "ratio <= 1");

    // A counting loop.
    auto loop = compiled(R"(
var
  i: Integer;
  s: Int64;
begin
  s := 0;
  for i := 1 to 10000000 do
    s := s + Int64(i) * i mod 7;
  if s <> 20000001 then ShowMessage('wrong sum ' + IntToStr(s));
end.)");
    long long luaSum = 0;
    double luaLoopTime = runLua("local s = 0 for i = 1, 10000000 do s = s + (i * i) % 7 end return s", 3, luaSum);
    double loopTime = runPascal(*loop, 3);
    line("sum of i*i mod 7, i to 10,000,000", loopTime * 1e3, "ms", "lua 5.4", luaLoopTime * 1e3, "ratio <= 1");
    if (luaSum != 20000001)
        std::fprintf(stderr, "lua sum %lld\n", luaSum);

    // String building.
    auto concat = compiled(R"(
var
  s, piece: string;
  i: Integer;
begin
  piece := 'abcdefghij';
  s := '';
  for i := 1 to 100000 do
    s := s + piece;
  if Length(s) <> 1000000 then ShowMessage('wrong length');
end.)");
    double concatTime = runPascal(*concat, 10);
    if (fpcConcat != nullptr) {
        double fpcMicros = 0;
        std::string command = std::string("'") + fpcConcat + "'";
        FILE* p = popen(command.c_str(), "r");
        if (p != nullptr && std::fscanf(p, "%lf", &fpcMicros) == 1 && fpcMicros > 0)
            line("100,000 x s := s + piece", concatTime * 1e3, "ms", "fpc native", fpcMicros / 1e3, "ratio <= 10");
        else
            std::fprintf(stderr, "could not run %s\n", fpcConcat);
        if (p != nullptr)
            pclose(p);
    } else {
        std::printf("%-34s ours %9.2f ms   (no Free Pascal reference: pass --fpc-concat)\n", "100,000 x s := s + piece",
                    concatTime * 1e3);
    }

    firings(false);
    return 0;
}
