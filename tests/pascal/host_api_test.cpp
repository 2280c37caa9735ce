// The host interface: import sets declared with the program's declaration texts exactly as its object
// model gives them, host objects bound by name, ownership of objects, errors of host routines, and
// the limits of a run.

#include "pascal/engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

using namespace shutterhand::pascal;

namespace {

// ---- a small host: configuration and application objects ----

int liveContainers = 0;

struct Var {
    std::string name, type, value;
};

struct VarContainer {
    std::vector<Var> vars;
    VarContainer() { ++liveContainers; }
    ~VarContainer() { --liveContainers; }
    Var* find(std::string_view name)
    {
        for (Var& v : vars) {
            if (v.name == name)
                return &v;
        }
        return nullptr;
    }
};

struct DirectoryList {
    std::vector<std::pair<std::string, std::string>> dirs;
};

struct SystemConfig {
    VarContainer* vars = new VarContainer;
    DirectoryList* dirs = new DirectoryList;
    std::string version = "1.0";
    ~SystemConfig()
    {
        delete vars;
        delete dirs;
    }
};

struct MyApplication {
    SystemConfig* config = nullptr;
    bool closeRequested = false;
    std::vector<std::string> selected;
};

struct MyCamera {
    bool connected = false;
};

struct MyFile {
    std::vector<std::string> deleted;
};

struct MyImage {
    int counter = 1;
    std::vector<std::string> saved;
};

std::shared_ptr<ImportSet> configurationSet()
{
    auto set = std::make_shared<ImportSet>("Configuration");
    set->addType("TVar", "record Name : string; VarType : string; Value : string; end");
    set->addClass("TVarContainer", "TObject", [](void* p) { delete static_cast<VarContainer*>(p); });
    set->addMethod("TVarContainer", "Constructor Create", [](HostCall& c) { c.setResultObject(new VarContainer); });
    set->addMethod("TVarContainer", "Procedure Clear", [](HostCall& c) { c.self<VarContainer>()->vars.clear(); });
    set->addMethod("TVarContainer", "Function GetValueByName( Name : string) : string", [](HostCall& c) {
        Var* v = c.self<VarContainer>()->find(c.string(0));
        c.setResult(v != nullptr ? std::string_view(v->value) : std::string_view());
    });
    set->addMethod("TVarContainer", "Function GetValueByID( Index : Integer) : TVar", [](HostCall& c) {
        auto& vars = c.self<VarContainer>()->vars;
        auto index = c.integer(0);
        if (index < 0 || static_cast<std::size_t>(index) >= vars.size())
            throw std::out_of_range("variable index out of range");
        const Var& v = vars[static_cast<std::size_t>(index)];
        c.setResultField("Name", v.name);
        c.setResultField("VarType", v.type);
        c.setResultField("Value", v.value);
    });
    set->addMethod("TVarContainer", "Procedure SetValueByName( Name, Value : string)", [](HostCall& c) {
        auto* container = c.self<VarContainer>();
        if (Var* v = container->find(c.string(0)))
            v->value = std::string(c.string(1));
        else
            container->vars.push_back(Var{std::string(c.string(0)), "String", std::string(c.string(1))});
    });
    set->addMethod("TVarContainer", "Procedure InitValueByName( Name, VarType, Value : string)", [](HostCall& c) {
        auto* container = c.self<VarContainer>();
        if (container->find(c.string(0)) == nullptr)
            container->vars.push_back(
                Var{std::string(c.string(0)), std::string(c.string(1)), std::string(c.string(2))});
    });
    set->addMethod("TVarContainer", "Function Count : Integer",
                   [](HostCall& c) { c.setResult(static_cast<int64_t>(c.self<VarContainer>()->vars.size())); });
    set->addType("TDirectory", "record Dirname : string; Value : string; end");
    set->addClass("TDirectoryList", "TObject", [](void* p) { delete static_cast<DirectoryList*>(p); });
    set->addMethod("TDirectoryList", "Constructor Create", [](HostCall& c) { c.setResultObject(new DirectoryList); });
    set->addMethod("TDirectoryList", "Procedure SetDirectory( Dirname, Value : string)",
                   [](HostCall& c) { c.self<DirectoryList>()->dirs.emplace_back(c.string(0), c.string(1)); });
    set->addMethod("TDirectoryList", "Function GetDirectoryByID( Index : Integer) : TDirectory", [](HostCall& c) {
        const auto& d = c.self<DirectoryList>()->dirs.at(static_cast<std::size_t>(c.integer(0)));
        c.setResultField("Dirname", d.first);
        c.setResultField("Value", d.second);
    });
    set->addMethod("TDirectoryList", "Function GetDirectoryByName( Dirname : string) : string", [](HostCall& c) {
        for (const auto& d : c.self<DirectoryList>()->dirs) {
            if (d.first == c.string(0))
                c.setResult(d.second);
        }
    });
    set->addMethod("TDirectoryList", "Function Count : Word",
                   [](HostCall& c) { c.setResult(static_cast<int64_t>(c.self<DirectoryList>()->dirs.size())); });
    set->addClass("TSystemConfig", "TObject", [](void* p) { delete static_cast<SystemConfig*>(p); });
    set->addMethod("TSystemConfig", "Constructor Create", [](HostCall& c) { c.setResultObject(new SystemConfig); });
    set->addProperty(
        "TSystemConfig", "Vars", "TVarContainer", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResultObject(c.self<SystemConfig>()->vars); },
        [](HostCall& c) {
            // The configuration keeps the assigned container: it takes it over from the script.
            auto* config = c.self<SystemConfig>();
            auto* replacement = c.object<VarContainer>(0);
            if (replacement == config->vars)
                return;
            c.takeOwnership(0);
            delete config->vars;
            config->vars = replacement;
        });
    set->addProperty(
        "TSystemConfig", "Directorys", "TDirectoryList", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResultObject(c.self<SystemConfig>()->dirs); },
        [](HostCall& c) {
            auto* config = c.self<SystemConfig>();
            auto* replacement = c.object<DirectoryList>(0);
            if (replacement == config->dirs)
                return;
            c.takeOwnership(0);
            delete config->dirs;
            config->dirs = replacement;
        });
    set->addProperty(
        "TSystemConfig", "Version", "string", PropertyAccess::ReadWrite,
        [](HostCall& c) { c.setResult(c.self<SystemConfig>()->version); },
        [](HostCall& c) { c.self<SystemConfig>()->version = std::string(c.string(0)); });
    return set;
}

std::shared_ptr<ImportSet> applicationSet(const std::shared_ptr<ImportSet>& configuration)
{
    auto set = std::make_shared<ImportSet>("Application", std::vector<std::shared_ptr<const ImportSet>>{configuration});
    set->addType("TImageSaveType", "( STAuto, STFilename, STDialog )");
    set->addClass("TMyApplication", "TObject", [](void* p) { delete static_cast<MyApplication*>(p); });
    set->addMethod("TMyApplication", "Constructor Create( aConfig : TSystemConfig)", [](HostCall& c) {
        auto* app = new MyApplication;
        app->config = c.object<SystemConfig>(0);
        c.setResultObject(app);
    });
    set->addMethod("TMyApplication", "Procedure close",
                   [](HostCall& c) { c.self<MyApplication>()->closeRequested = true; });
    set->addMethod("TMyApplication", "Procedure SelectDevice( DeviceName : string)",
                   [](HostCall& c) { c.self<MyApplication>()->selected.emplace_back(c.string(0)); });
    set->addMethod("TMyApplication", "Procedure StartApp( AppName : string; Parameter : string)", [](HostCall&) {});
    set->addMethod("TMyApplication", "Procedure ShowCameraInfo", [](HostCall&) {});
    set->addMethod("TMyApplication", "Procedure ShowInfo", [](HostCall&) {});
    set->addMethod("TMyApplication", "Procedure TakePicture", [](HostCall&) {});
    set->addMethod("TMyApplication", "Function Config : TSystemConfig",
                   [](HostCall& c) { c.setResultObject(c.self<MyApplication>()->config); });
    set->addClass("TMyCamera");
    set->addMethod("TMyCamera", "Procedure DeleteItems", [](HostCall& c) {
        if (!c.self<MyCamera>()->connected)
            throw std::runtime_error("No camera connected");
    });
    set->addClass("TMyFile");
    set->addMethod("TMyFile", "Procedure Delete( Filename : string)",
                   [](HostCall& c) { c.self<MyFile>()->deleted.emplace_back(c.string(0)); });
    set->addClass("TMyImage");
    set->addMethod("TMyImage", "Procedure SaveToFile( SaveType : TImageSaveType; const Filename : string)",
                   [](HostCall& c) {
                       auto* image = c.self<MyImage>();
                       switch (c.integer(0)) {
                       case 0:
                           image->saved.push_back(std::to_string(image->counter++) + "_Image.jpg");
                           break;
                       case 1:
                           image->saved.emplace_back(c.string(1));
                           break;
                       default:
                           image->saved.emplace_back("dialog");
                           break;
                       }
                   });
    set->addMethod("TMyImage", "Procedure ToClipboard", [](HostCall&) {});
    set->addMethod("TMyImage", "Procedure Clear", [](HostCall& c) { c.self<MyImage>()->saved.clear(); });
    set->addProperty("TMyImage", "Count", "Integer", PropertyAccess::ReadOnly,
                     [](HostCall& c) { c.setResult(c.self<MyImage>()->counter); });
    set->addProperty("TMyImage", "Width", "Integer", PropertyAccess::ReadOnly, [](HostCall& c) { c.setResult(3000); });
    set->addProperty("TMyImage", "Height", "Integer", PropertyAccess::ReadOnly, [](HostCall& c) { c.setResult(2000); });
    return set;
}

// One run as the program's script runner does it.
struct Host {
    std::shared_ptr<ImportSet> configuration = configurationSet();
    std::shared_ptr<ImportSet> application = applicationSet(configuration);
    SystemConfig config;
    MyApplication app;
    MyCamera camera;
    MyFile file;
    MyImage image;
    std::string output;
    std::string deviceName = "Cam 1";
    std::chrono::milliseconds messageDelay{0};
    Engine engine;

    Host()
    {
        app.config = &config;
        config.vars->vars.push_back(Var{"WorkDir", "Directory", "/opt/shutterhand/"});
        config.dirs->dirs.emplace_back("Images", "/opt/shutterhand/www/");
    }

    bool compile(const std::string& script)
    {
        engine.addImportSet(configuration);
        engine.addImportSet(application);
        engine.setScript(script);
        engine.setCompileHook([this](CompileContext& ctx) {
            ctx.declareObject("Application", "TMyApplication");
            ctx.declareObject("Camera", "TMyCamera");
            ctx.declareObject("File", "TMyFile");
            ctx.declareObject("Image", "TMyImage");
            ctx.declareVariable("DeviceName", "string");
            ctx.declareRoutine("procedure ShowMessage(Message: string);", [this](HostCall& call) {
                std::this_thread::sleep_for(messageDelay);
                output += std::string(call.string(0)) + "\n";
            });
        });
        return engine.compile();
    }

    bool execute()
    {
        engine.setExecuteHook([this](ExecuteContext& ctx) {
            ctx.setString("DeviceName", deviceName);
            ctx.bindObject("Application", &app);
            ctx.bindObject("Camera", &camera);
            ctx.bindObject("File", &file);
            ctx.bindObject("Image", &image);
        });
        return engine.execute();
    }

    std::string messages() const
    {
        std::string out;
        for (const Diagnostic& d : engine.messages())
            out += d.line() + "\n";
        return out;
    }
};

TEST(HostApi, DeclarationTextsAreAccepted)
{
    Host host;
    EXPECT_TRUE(host.configuration->errors().empty()) << host.configuration->errors().front();
    EXPECT_TRUE(host.application->errors().empty()) << host.application->errors().front();
}

TEST(HostApi, ScriptWorksWithTheObjectModel)
{
    Host host;
    int containersBefore = liveContainers;
    ASSERT_TRUE(host.compile(R"(
var
  v: TVar;
  c: TVarContainer;
  kind: TImageSaveType;
begin
  ShowMessage(Application.Config.Vars.GetValueByName('WorkDir'));
  Application.Config.Vars.SetValueByName('Counter', '5');
  Application.Config.Vars.InitValueByName('New', 'String', 'x');
  v := Application.Config.Vars.GetValueByID(1);
  ShowMessage(v.Name + '/' + v.VarType + '/' + v.Value);
  ShowMessage(IntToStr(Application.Config.Vars.Count) + ' ' + Application.Config.Vars.GetValueByID(2).Name);
  with Application.Config.Directorys do
    ShowMessage(GetDirectoryByName('Images') + ' ' + GetDirectoryByID(0).Dirname + ' ' + IntToStr(Count));
  Application.Config.Version := '2.0';
  ShowMessage(Application.Config.Version);
  c := TVarContainer.Create;
  c.SetValueByName('a', 'b');
  ShowMessage(IntToStr(c.Count) + ' ' + IntToStr(Application.Config.Vars.Count));
  kind := STAuto;
  Image.SaveToFile(kind, '');
  Image.SaveToFile(STAuto, 'ignored');
  Image.SaveToFile(STFilename, 'x.jpg');
  ShowMessage(IntToStr(Image.Count) + ' ' + IntToStr(Image.Width) + 'x' + IntToStr(Image.Height));
  Application.SelectDevice(DeviceName);
  File.Delete('/tmp/old.jpg');
  try
    Camera.DeleteItems;
  except
    on E: Exception do ShowMessage('caught: ' + E.Message);
  end;
  if Application.Config = Application.Config then ShowMessage('same object');
  Application.close;
end.
)")) << host.messages();
    ASSERT_TRUE(host.execute()) << host.engine.errorText();
    EXPECT_EQ(host.output,
              "/opt/shutterhand/\n"
              "Counter/String/5\n"
              "3 New\n"
              "/opt/shutterhand/www/ Images 1\n"
              "2.0\n"
              "1 3\n"
              "3 3000x2000\n"
              "caught: No camera connected\n"
              "same object\n");
    EXPECT_EQ(host.config.vars->find("Counter")->value, "5");
    EXPECT_EQ(host.config.version, "2.0");
    EXPECT_EQ(host.image.saved, (std::vector<std::string>{"1_Image.jpg", "2_Image.jpg", "x.jpg"}));
    EXPECT_EQ(host.app.selected, (std::vector<std::string>{"Cam 1"}));
    EXPECT_EQ(host.file.deleted, (std::vector<std::string>{"/tmp/old.jpg"}));
    EXPECT_TRUE(host.app.closeRequested);
    // The container the script made was freed at the end of the run; the host's objects were not.
    EXPECT_EQ(liveContainers, containersBefore);
}

TEST(HostApi, HostTakesOverAnAssignedObject)
{
    Host host;
    int containersBefore = liveContainers;
    ASSERT_TRUE(host.compile(R"(
var c: TVarContainer;
begin
  c := TVarContainer.Create;
  c.InitValueByName('Fresh', 'String', 'yes');
  Application.Config.Vars := c;
  ShowMessage(Application.Config.Vars.GetValueByName('Fresh'));
end.
)")) << host.messages();
    ASSERT_TRUE(host.execute()) << host.engine.errorText();
    EXPECT_EQ(host.output, "yes\n");
    ASSERT_NE(host.config.vars->find("Fresh"), nullptr);
    EXPECT_EQ(liveContainers, containersBefore);  // the old container went, the new one stays with the host
}

TEST(HostApi, FailuresBecomeOneLineOfText)
{
    struct Row {
        const char* script;
        const char* error;
    };
    const Row rows[] = {
        {"begin Camera.DeleteItems; end.", "Exception: No camera connected"},
        {"begin ShowMessage(Application.Config.Vars.GetValueByID(9).Name); end.",
         "Exception: variable index out of range"},
        {"var c: TVarContainer; begin c.Clear; end.", "Runtime error (1:31): Access to a nil object"},
        {"begin raise Exception.Create('stop here'); end.", "Exception: stop here"},
    };
    for (const Row& row : rows) {
        Host host;
        ASSERT_TRUE(host.compile(row.script)) << host.messages();
        EXPECT_FALSE(host.execute()) << row.script;
        EXPECT_EQ(host.engine.errorText(), row.error) << row.script;
    }
}

TEST(HostApi, CompileMessagesUseTheLineFormat)
{
    Host host;
    EXPECT_FALSE(host.compile("begin\n  Camera.Shoot;\n  ShowMessage(DeviceName + 1);\nend."));
    EXPECT_EQ(host.messages(),
              "[Error] (2:10): 'TMyCamera' has no member 'Shoot'\n"
              "[Error] (3:26): Operator not applicable to this operand type\n");
}

TEST(HostApi, UnknownVariableInTheExecuteHook)
{
    Host host;
    ASSERT_TRUE(host.compile("begin ShowMessage('x'); end."));
    host.engine.setExecuteHook([](ExecuteContext& ctx) { ctx.bindObject("Printer", nullptr); });
    EXPECT_FALSE(host.engine.execute());
    EXPECT_EQ(host.engine.errorText(), "Unable to find variable 'Printer'");
    EXPECT_EQ(host.output, "");
}

TEST(HostApi, TimeInsideHostRoutinesDoesNotCount)
{
    Host host;
    host.messageDelay = std::chrono::milliseconds(150);
    ASSERT_TRUE(host.compile("var i: Integer; begin for i := 1 to 3 do ShowMessage(IntToStr(i)); end."));
    host.engine.setTimeLimit(std::chrono::milliseconds(100));
    EXPECT_TRUE(host.execute()) << host.engine.errorText();
    EXPECT_EQ(host.output, "1\n2\n3\n");
}

TEST(HostApi, LimitsEndRunsWithAClearError)
{
    struct Row {
        const char* script;
        const char* error;
        std::size_t memoryLimit = std::size_t(64) << 20;
        int timeLimitMs = 200;
    };
    const Row rows[] = {
        {"begin\n  while True do ;\nend.", "Runtime error (2:3): Time limit of 200 ms exceeded"},
        {"procedure P(n: Integer); begin P(n + 1); end;\nbegin P(0); end.", "Runtime error (1:32): Stack overflow"},
        {"var s: string;\nbegin\n  s := 'x';\n  while True do s := s + s;\nend.",
         "Runtime error (4:24): Out of memory"},
        {"begin\n  Sleep(5000);\nend.", "Runtime error (2:3): Time limit of 200 ms exceeded"},
        {"var l: TStringList;\nbegin\n  l := TStringList.Create;\n  while True do l.Add('0123456789');\nend.",
         "Runtime error (4:19): Out of memory", 1 << 20, 10000},
        {"begin\n  while True do TObject.Create;\nend.", "Runtime error (2:25): Out of memory", 1 << 20, 10000},
    };
    for (const Row& row : rows) {
        Host host;
        ASSERT_TRUE(host.compile(row.script)) << host.messages();
        host.engine.setTimeLimit(std::chrono::milliseconds(row.timeLimitMs));
        host.engine.setMaxCallDepth(100);
        host.engine.setMemoryLimit(row.memoryLimit);
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(host.execute()) << row.script;
        EXPECT_EQ(host.engine.errorText(), row.error) << row.script;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << row.script;
    }
}

TEST(HostApi, CallDepthIsTheHostsChoice)
{
    const char* script
        = "function D(n: Integer): Integer; begin if n = 0 then Result := 0 else Result := D(n - 1) + 1; end;\n"
          "begin ShowMessage(IntToStr(D(500))); end.";
    Host shallow;
    ASSERT_TRUE(shallow.compile(script));
    shallow.engine.setMaxCallDepth(100);
    EXPECT_FALSE(shallow.execute());
    Host deep;
    ASSERT_TRUE(deep.compile(script));
    deep.engine.setMaxCallDepth(1000);
    EXPECT_TRUE(deep.execute()) << deep.engine.errorText();
    EXPECT_EQ(deep.output, "500\n");
}

TEST(HostApi, RecordsVarParametersAndMisuse)
{
    auto configuration = configurationSet();
    auto extra = std::make_shared<ImportSet>("Extra", std::vector<std::shared_ptr<const ImportSet>>{configuration});
    ASSERT_TRUE(extra->addRoutine("function Describe(const V : TVar) : string", [](HostCall& c) {
        c.setResult(std::string(c.stringField(0, "Name")) + "=" + std::string(c.stringField(0, "Value")));
    }));
    ASSERT_TRUE(extra->addRoutine("procedure Split(const S: string; var Left, Right: string)", [](HostCall& c) {
        std::string_view s = c.string(0);
        std::size_t at = s.find(':');
        c.setString(1, s.substr(0, at));
        c.setString(2, at == std::string_view::npos ? std::string_view() : s.substr(at + 1));
    }));
    ASSERT_TRUE(extra->addRoutine("procedure Bump(var N: Integer; var X: Double)", [](HostCall& c) {
        c.setInteger(0, c.integer(0) + 1);
        c.setReal(1, c.real(1) * 2);
    }));
    ASSERT_TRUE(extra->addRoutine("procedure Wrong(N: Integer)", [](HostCall& c) { (void)c.string(0); }));

    Engine engine;
    ASSERT_TRUE(engine.addImportSet(configuration));
    ASSERT_TRUE(engine.addImportSet(extra));
    std::string output;
    engine.setScript(R"(
var
  v: TVar;
  a, b: string;
  n: Integer;
  x: Double;
begin
  v.Name := 'Mode';
  v.Value := 'auto';
  ShowMessage(Describe(v));
  Split('left:right', a, b);
  ShowMessage(a + '|' + b);
  n := 41;
  x := 1.25;
  Bump(n, x);
  ShowMessage(IntToStr(n) + ' ' + FloatToStr(x));
  Wrong(1);
end.
)");
    engine.setCompileHook([&](CompileContext& ctx) {
        ctx.declareRoutine("procedure ShowMessage(Message: string);",
                           [&](HostCall& call) { output += std::string(call.string(0)) + "\n"; });
    });
    ASSERT_TRUE(engine.compile());
    EXPECT_FALSE(engine.execute());
    EXPECT_EQ(output, "Mode=auto\nleft|right\n42 2.5\n");
    EXPECT_EQ(engine.errorText(), "Exception: host routine Wrong: argument 0 is not a string");
}

TEST(HostApi, ImportSetsNeedWhatTheyUse)
{
    auto configuration = configurationSet();
    auto application = applicationSet(configuration);
    Engine engine;
    EXPECT_FALSE(engine.addImportSet(application));
    EXPECT_TRUE(engine.addImportSet(configuration));
    EXPECT_TRUE(engine.addImportSet(application));
}

TEST(HostApi, BadDeclarationTextsAreReported)
{
    ImportSet set("Broken");
    EXPECT_FALSE(set.addType("TBad", "record Name : UnknownType; end"));
    EXPECT_TRUE(set.addClass("TThing"));
    EXPECT_FALSE(set.addMethod("TThing", "Procedure Go(", [](HostCall&) {}));
    EXPECT_FALSE(set.addMethod("TNothing", "Procedure Go", [](HostCall&) {}));
    EXPECT_FALSE(set.addClass("TOther", "TMissingParent"));
    EXPECT_GE(set.errors().size(), 3u);
}

}  // namespace
