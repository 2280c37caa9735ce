// The application objects as scripts see them: Application, Camera, File and Image acting on the
// application core. The declaration texts are those the manual gives script authors.

#include "actions/script/import_sets.h"
#include "actions/script/script_run.h"

#include <QtGlobal>

#include <stdexcept>

namespace shutterhand {

namespace {

using pascal::HostCall;
using pascal::PropertyAccess;

QString argument(const HostCall& call, int index) { return fromScript(call.string(index)); }

ScriptRun& runOf(const HostCall& call) { return *static_cast<ScriptRun*>(call.userData()); }

// An error of the program's own operation ends the run; the runner logs its message.
void raiseOnFailure(const FileResult& result)
{
    if (!result.ok())
        throw std::runtime_error(result.error.toStdString());
}

void addApplication(pascal::ImportSet& set)
{
    set.addClass("TMyApplication", "TObject", [](void* object) { delete static_cast<TMyApplication*>(object); });
    set.addMethod("TMyApplication", "Constructor Create( aConfig : TSystemConfig)", [](HostCall& c) {
        const ScriptConfig* config = c.object<ScriptConfig>(0);
        c.setResultObject(new TMyApplication(runOf(c).core(), config ? config->config : nullptr));
    });
    set.addMethod("TMyApplication", "Procedure close", [](HostCall& c) { c.self<TMyApplication>()->close(); });
    set.addMethod("TMyApplication", "Procedure SelectDevice( DeviceName : string)",
                  [](HostCall& c) { c.self<TMyApplication>()->SelectDevice(argument(c, 0)); });
    set.addMethod("TMyApplication", "Procedure StartApp( AppName : string; Parameter : string)",
                  [](HostCall& c) { c.self<TMyApplication>()->StartApp(argument(c, 0), argument(c, 1)); });
    set.addMethod("TMyApplication", "Procedure ShowCameraInfo",
                  [](HostCall& c) { c.self<TMyApplication>()->ShowCameraInfo(); });
    set.addMethod("TMyApplication", "Procedure ShowInfo", [](HostCall& c) { c.self<TMyApplication>()->ShowInfo(); });
    set.addMethod("TMyApplication", "Procedure TakePicture",
                  [](HostCall& c) { c.self<TMyApplication>()->TakePicture(); });
    set.addMethod("TMyApplication", "Function Config : TSystemConfig",
                  [](HostCall& c) { c.setResultObject(runOf(c).handleFor(c.self<TMyApplication>()->Config())); });
}

void addCameraFileImage(pascal::ImportSet& set)
{
    set.addClass("TMyCamera");
    set.addMethod("TMyCamera", "Procedure DeleteItems",
                  [](HostCall& c) { raiseOnFailure(c.self<TMyCamera>()->DeleteItems()); });

    set.addClass("TMyFile");
    set.addMethod("TMyFile", "Procedure Delete( Filename : string)",
                  [](HostCall& c) { raiseOnFailure(c.self<TMyFile>()->Delete(argument(c, 0))); });

    set.addClass("TMyImage");
    set.addMethod(
        "TMyImage", "Procedure SaveToFile( SaveType : TImageSaveType; const Filename : string)", [](HostCall& c) {
            const int64_t saveType = c.integer(0);
            if (saveType < 0 || saveType > static_cast<int64_t>(ImageSaveType::STDialog))
                throw std::out_of_range("Unbekannte Art des Speicherns: " + std::to_string(saveType));
            raiseOnFailure(c.self<TMyImage>()->SaveToFile(static_cast<ImageSaveType>(saveType), argument(c, 1)));
        });
    set.addMethod("TMyImage", "Procedure ToClipboard", [](HostCall& c) { c.self<TMyImage>()->ToClipboard(); });
    set.addMethod("TMyImage", "Procedure Clear", [](HostCall& c) { c.self<TMyImage>()->Clear(); });
    set.addProperty("TMyImage", "Count", "Integer", PropertyAccess::ReadOnly,
                    [](HostCall& c) { c.setResult(c.self<TMyImage>()->Count()); });
    set.addProperty("TMyImage", "Width", "Integer", PropertyAccess::ReadOnly,
                    [](HostCall& c) { c.setResult(c.self<TMyImage>()->Width()); });
    set.addProperty("TMyImage", "Height", "Integer", PropertyAccess::ReadOnly,
                    [](HostCall& c) { c.setResult(c.self<TMyImage>()->Height()); });
}

std::shared_ptr<const pascal::ImportSet> buildApplicationSet()
{
    auto set = std::make_shared<pascal::ImportSet>(
        "Application", std::vector<std::shared_ptr<const pascal::ImportSet>>{configurationImportSet()});
    set->addType("TImageSaveType", "( STAuto, STFilename, STDialog )");
    addApplication(*set);
    addCameraFileImage(*set);
    // A declaration the engine refuses is a mistake in this file, never the user's.
    if (!set->errors().empty())
        qFatal("application import set: %s", set->errors().front().c_str());
    return set;
}

}  // namespace

std::shared_ptr<const pascal::ImportSet> applicationImportSet()
{
    static const std::shared_ptr<const pascal::ImportSet> set = buildApplicationSet();
    return set;
}

}  // namespace shutterhand
