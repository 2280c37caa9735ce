#include "pascal/import_set.h"

#include "pascal/declaration_set.h"
#include "pascal/stdlib.h"

namespace shutterhand::pascal {

namespace {

std::vector<const Scope*> outerScopes(const std::vector<std::shared_ptr<const ImportSet>>& uses)
{
    // Latest first, as the engine searches them; the standard declarations come last.
    std::vector<const Scope*> scopes;
    for (auto it = uses.rbegin(); it != uses.rend(); ++it)
        scopes.push_back(&(*it)->declarations().scope());
    scopes.push_back(&standardScope());
    return scopes;
}

}  // namespace

ImportSet::ImportSet(std::string name, std::vector<std::shared_ptr<const ImportSet>> uses)
    : uses_(std::move(uses))
    , set_(std::make_unique<DeclarationSet>(std::move(name), outerScopes(uses_)))
{ }

ImportSet::~ImportSet() = default;

const std::string& ImportSet::name() const { return set_->module(); }

const std::vector<std::string>& ImportSet::errors() const { return set_->errors(); }

bool ImportSet::addType(std::string_view name, std::string_view declaration)
{
    return set_->addType(name, declaration) != nullptr;
}

bool ImportSet::addClass(std::string_view name, std::string_view parent, std::function<void(void*)> destroy)
{
    auto [fn, data] = set_->keepDestroyer(std::move(destroy));
    return set_->addClass(name, parent, fn, data) != nullptr;
}

bool ImportSet::addMethod(std::string_view className, std::string_view heading, HostFunction function)
{
    ClassInfo* cls = set_->findClass(className);
    if (cls == nullptr || !function)
        return false;
    HostBinding& hb = set_->newHostBinding();
    hb.function = std::move(function);
    hb.cls = cls;
    const Member* m = set_->addMethod(cls, heading, Binding{hostTrampoline, &hb});
    if (m == nullptr)
        return false;
    hb.sig = m->sig;
    hb.isConstructor = m->kind == MemberKind::Constructor;
    hb.name = m->name;
    return true;
}

bool ImportSet::addProperty(std::string_view className, std::string_view name, std::string_view type,
                            PropertyAccess access, HostFunction getter, HostFunction setter)
{
    return addIndexedProperty(className, name, {}, type, access, std::move(getter), std::move(setter), false);
}

bool ImportSet::addIndexedProperty(std::string_view className, std::string_view name, std::string_view params,
                                   std::string_view type, PropertyAccess access, HostFunction getter,
                                   HostFunction setter, bool isDefault)
{
    ClassInfo* cls = set_->findClass(className);
    if (cls == nullptr || !getter || (access == PropertyAccess::ReadWrite && !setter))
        return false;
    HostBinding& get = set_->newHostBinding();
    get.function = std::move(getter);
    get.cls = cls;
    HostBinding* set = nullptr;
    if (access == PropertyAccess::ReadWrite) {
        set = &set_->newHostBinding();
        set->function = std::move(setter);
        set->cls = cls;
        set->isSetter = true;
    }
    const Member* m = set_->addProperty(cls, name, params, type, set != nullptr, Binding{hostTrampoline, &get},
                                        set != nullptr ? Binding{hostTrampoline, set} : Binding{}, isDefault);
    if (m == nullptr)
        return false;
    get.sig = m->getSig;
    get.name = m->name;
    if (set != nullptr) {
        set->sig = m->setSig;
        set->name = m->name;
    }
    return true;
}

bool ImportSet::addRoutine(std::string_view heading, HostFunction function)
{
    if (!function)
        return false;
    HostBinding& hb = set_->newHostBinding();
    hb.function = std::move(function);
    const Symbol* sym = set_->addRoutine(heading, Binding{hostTrampoline, &hb});
    if (sym == nullptr)
        return false;
    hb.sig = sym->sig;
    hb.name = sym->name;
    return true;
}

}  // namespace shutterhand::pascal
