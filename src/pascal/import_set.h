#pragma once

#include "pascal/host_call.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shutterhand::pascal {

class DeclarationSet;

enum class PropertyAccess { ReadOnly, ReadWrite };

// A set of declarations the host makes available to scripts: types, classes with their methods and
// properties, and routines. Each declaration is given as Pascal text (the compile half) together with
// the host function that carries it out (the run half).
//
// An import set is built once and can be shared by any number of engines and threads afterwards; it
// must outlive the engines that use it (hold it in a std::shared_ptr). Sets it names as `uses` must be
// added to an engine before it. Declaration errors are programming errors of the host: the add
// functions return false and errors() tells why.
class ImportSet {
public:
    // `uses`: earlier sets whose types this set refers to.
    explicit ImportSet(std::string name, std::vector<std::shared_ptr<const ImportSet>> uses = {});
    ~ImportSet();
    ImportSet(const ImportSet&) = delete;
    ImportSet& operator=(const ImportSet&) = delete;

    // Declares a named type: "record Name : string; Value : string; end", "( STAuto, STFilename )",
    // "set of TMyEnum", or another type's name.
    bool addType(std::string_view name, std::string_view declaration);
    // Declares a class. `parent` names TObject, a standard class or a class declared before.
    // `destroy` frees objects of the class that scripts create with its constructors.
    bool addClass(std::string_view name, std::string_view parent = "TObject", std::function<void(void*)> destroy = {});
    // Declares a constructor, procedure or function of a class from its heading, for example
    // "Constructor Create( aConfig : TSystemConfig)" or "Function Count : Integer".
    bool addMethod(std::string_view className, std::string_view heading, HostFunction function);
    // Declares a property of a class: its name, its type as text, whether scripts may write it, and its
    // accessors (the setter receives the value as argument 0).
    bool addProperty(std::string_view className, std::string_view name, std::string_view type, PropertyAccess access,
                     HostFunction getter, HostFunction setter = {});
    // Declares an indexed property ("Strings[Index: Integer]: string"); `params` is "Index: Integer".
    // A default property is used by obj[i]. The accessors receive the indices first.
    bool addIndexedProperty(std::string_view className, std::string_view name, std::string_view params,
                            std::string_view type, PropertyAccess access, HostFunction getter, HostFunction setter = {},
                            bool isDefault = false);
    // Declares a procedure or function from its heading, for example "procedure Beep(Count: Integer);".
    bool addRoutine(std::string_view heading, HostFunction function);

    const std::string& name() const;
    // Why declarations failed, one line each.
    const std::vector<std::string>& errors() const;

    // For the engine.
    const DeclarationSet& declarations() const { return *set_; }
    const std::vector<std::shared_ptr<const ImportSet>>& uses() const { return uses_; }

private:
    std::vector<std::shared_ptr<const ImportSet>> uses_;
    std::unique_ptr<DeclarationSet> set_;
};

}  // namespace shutterhand::pascal
