#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace shutterhand::pascal {

class Vm;
union Slot;
struct HostBinding;

// Who frees an object that a host routine hands to the script.
enum class Ownership {
    Host,    // the host keeps it; the engine never frees it
    Script,  // the script owns it: Free frees it, and the end of the run frees it if the script did not
};

// One call of a host routine (a procedure, method, constructor or property accessor of an import set).
// Arguments are counted from 0 in declaration order, without the object of a method. Using an
// accessor that does not fit the declared type throws std::logic_error, which the script sees as an
// exception. A host routine reports a failure by throwing any std::exception: the script sees
// "Exception: " + what().
class HostCall {
public:
    HostCall(Vm& vm, Slot* args, const HostBinding& binding)
        : vm_(vm)
        , args_(args)
        , binding_(binding)
    { }

    // Number of declared parameters.
    int argCount() const;
    // An ordinal argument (integer types, Char, Boolean, enumerations) as a number.
    int64_t integer(int index) const;
    // A real argument.
    double real(int index) const;
    // A Boolean argument.
    bool boolean(int index) const { return integer(index) != 0; }
    // A string argument; valid until the routine returns.
    std::string_view string(int index) const;
    // The host pointer of an object argument, or null for nil.
    void* object(int index) const;
    template <typename T> T* object(int index) const { return static_cast<T*>(object(index)); }
    // A string field of a record argument.
    std::string_view stringField(int index, std::string_view field) const;
    // An ordinal field of a record argument.
    int64_t integerField(int index, std::string_view field) const;

    // The object a method, property accessor or destructor is called on.
    void* self() const;
    template <typename T> T* self() const { return static_cast<T*>(self()); }

    // Results of functions and property getters.
    void setResult(int64_t value);
    void setResult(int value) { setResult(static_cast<int64_t>(value)); }
    void setResult(double value);
    void setResult(bool value);
    void setResult(std::string_view value);
    void setResult(const char* value) { setResult(std::string_view(value)); }
    // An object result. Constructors always hand their new object to the script (Ownership::Script).
    void setResultObject(void* object, Ownership ownership = Ownership::Host);
    // Fields of a record result.
    void setResultField(std::string_view field, std::string_view value);
    void setResultField(std::string_view field, int64_t value);

    // Writes to var and out parameters.
    void setInteger(int index, int64_t value);
    void setReal(int index, double value);
    void setString(int index, std::string_view value);

    // The host takes over an object the script created and passed as argument `index` (for example
    // when a setter stores it): the engine will not free it any more.
    void takeOwnership(int index);

    // The data the host gave the engine (Engine::setUserData).
    void* userData() const;

private:
    const void* argSlot(int index, int kindMask) const;
    Vm& vm_;
    Slot* args_;
    const HostBinding& binding_;
};

// A host routine.
using HostFunction = std::function<void(HostCall&)>;

}  // namespace shutterhand::pascal
