// Arithmetic routines. Faults of real arithmetic raise exceptions as Delphi does (EInvalidOp,
// EZeroDivide, EOverflow), rather than giving NaN or infinity silently.

#include "pascal/builtins.h"
#include "pascal/compiler_impl.h"
#include "pascal/stdlib.h"

#include <chrono>
#include <cmath>

namespace shutterhand::pascal {

namespace {

[[noreturn]] void invalidOp(Vm& vm) { vm.fail(standardClasses().invalidOp, "Invalid floating point operation"); }

[[noreturn]] void overflow(Vm& vm) { vm.fail(standardClasses().overflow, "Floating point overflow"); }

// Checks a result computed from finite arguments.
double checked(Vm& vm, double result)
{
    if (std::isnan(result))
        invalidOp(vm);
    if (std::isinf(result))
        overflow(vm);
    return result;
}

int64_t toInt64(Vm& vm, double v)
{
    if (!(v >= -9223372036854775808.0 && v < 9223372036854775808.0))
        invalidOp(vm);
    return static_cast<int64_t>(v);
}

// function Round(X: Extended): Int64: halves go to the even neighbour.
void round(Vm& vm, Slot* a, const void*) { a[0].i = toInt64(vm, std::nearbyint(a[1].f)); }

void trunc(Vm& vm, Slot* a, const void*) { a[0].i = toInt64(vm, std::trunc(a[1].f)); }

void intPart(Vm&, Slot* a, const void*) { a[0].f = std::trunc(a[1].f); }

void fracPart(Vm&, Slot* a, const void*) { a[0].f = a[1].f - std::trunc(a[1].f); }

void sqrtFn(Vm& vm, Slot* a, const void*)
{
    if (a[1].f < 0)
        invalidOp(vm);
    a[0].f = std::sqrt(a[1].f);
}

void sinFn(Vm& vm, Slot* a, const void*) { a[0].f = checked(vm, std::sin(a[1].f)); }

void cosFn(Vm& vm, Slot* a, const void*) { a[0].f = checked(vm, std::cos(a[1].f)); }

void tanFn(Vm& vm, Slot* a, const void*) { a[0].f = checked(vm, std::tan(a[1].f)); }

void arcTanFn(Vm& vm, Slot* a, const void*) { a[0].f = checked(vm, std::atan(a[1].f)); }

void expFn(Vm& vm, Slot* a, const void*) { a[0].f = checked(vm, std::exp(a[1].f)); }

void lnFn(Vm& vm, Slot* a, const void*)
{
    double x = a[1].f;
    if (x == 0)
        vm.fail(standardClasses().zeroDivide, "Floating point division by zero");
    if (x < 0)
        invalidOp(vm);
    a[0].f = checked(vm, std::log(x));
}

void log10Fn(Vm& vm, Slot* a, const void*)
{
    double x = a[1].f;
    if (x == 0)
        vm.fail(standardClasses().zeroDivide, "Floating point division by zero");
    if (x < 0)
        invalidOp(vm);
    a[0].f = checked(vm, std::log10(x));
}

void power(Vm& vm, Slot* a, const void*)
{
    double base = a[1].f, exponent = a[2].f;
    if (exponent == 0) {
        a[0].f = 1;
        return;
    }
    if (base == 0 && exponent < 0)
        vm.fail(standardClasses().zeroDivide, "Floating point division by zero");
    a[0].f = checked(vm, std::pow(base, exponent));
}

void piFn(Vm&, Slot* a, const void*) { a[0].f = 3.14159265358979323846; }

void ceilFn(Vm& vm, Slot* a, const void*)
{
    double v = std::ceil(a[1].f);
    if (!(v >= -2147483648.0 && v <= 2147483647.0))
        invalidOp(vm);
    a[0].i = static_cast<int64_t>(v);
}

void floorFn(Vm& vm, Slot* a, const void*)
{
    double v = std::floor(a[1].f);
    if (!(v >= -2147483648.0 && v <= 2147483647.0))
        invalidOp(vm);
    a[0].i = static_cast<int64_t>(v);
}

void randomize(Vm&, Slot*, const void*)
{
    auto now = std::chrono::system_clock::now().time_since_epoch().count();
    intrinsics::seedRandom(static_cast<uint32_t>(now ^ (now >> 32)));
}

constexpr NativeEntry kRoutines[] = {
    {"function Round(X: Extended): Int64", round},
    {"function Trunc(X: Extended): Int64", trunc},
    {"function Int(X: Extended): Extended", intPart},
    {"function Frac(X: Extended): Extended", fracPart},
    {"function Sqrt(X: Extended): Extended", sqrtFn},
    {"function Sin(X: Extended): Extended", sinFn},
    {"function Cos(X: Extended): Extended", cosFn},
    {"function Tan(X: Extended): Extended", tanFn},
    {"function ArcTan(X: Extended): Extended", arcTanFn},
    {"function Exp(X: Extended): Extended", expFn},
    {"function Ln(X: Extended): Extended", lnFn},
    {"function Log10(X: Extended): Extended", log10Fn},
    {"function Power(Base, Exponent: Extended): Extended", power},
    {"function Pi: Extended", piFn},
    {"function Ceil(X: Extended): Integer", ceilFn},
    {"function Floor(X: Extended): Integer", floorFn},
    {"procedure Randomize", randomize},
};

}  // namespace

std::span<const NativeEntry> mathRoutines() { return kRoutines; }

}  // namespace shutterhand::pascal
