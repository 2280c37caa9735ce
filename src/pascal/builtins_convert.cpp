// Conversions between numbers and text: IntToStr, StrToInt, FloatToStr, Format, FormatFloat and kin.

#include "pascal/builtins.h"
#include "pascal/compiler_impl.h"
#include "pascal/stdlib.h"

#include <cinttypes>
#include <cstdio>
#include <limits>

namespace shutterhand::pascal {

namespace {

constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();

std::string hex(uint64_t value, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRIX64, value);
    std::string s = buf;
    if (digits > 32)
        digits = 32;
    if (static_cast<int>(s.size()) < digits)
        s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return s;
}

// function IntToStr(Value: Int64): string: [result][Value]
void intToStr(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], std::to_string(a[1].i)); }

// function IntToHex(Value: Int64; Digits: Integer): string
void intToHex(Vm& vm, Slot* a, const void*)
{
    int64_t v = a[1].i;
    // An Integer-sized value is shown with 32 bits, as the Integer overload does.
    uint64_t bits = (v >= kIntMin && v <= kIntMax) ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
    returnString(vm, a[0], hex(bits, static_cast<int>(a[2].i)));
}

[[noreturn]] void notInteger(Vm& vm, std::string_view s)
{
    vm.failConvert("'" + std::string(s) + "' is not a valid integer value");
}

void strToInt(Vm& vm, Slot* a, const void*)
{
    int64_t v;
    if (!parseInteger(arg(a, 1), kIntMin, kIntMax, v))
        notInteger(vm, arg(a, 1));
    a[0].i = v;
}

void strToIntDef(Vm&, Slot* a, const void*)
{
    int64_t v;
    a[0].i = parseInteger(arg(a, 1), kIntMin, kIntMax, v) ? v : a[2].i;
}

void strToInt64(Vm& vm, Slot* a, const void*)
{
    int64_t v;
    if (!parseInteger(arg(a, 1), std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), v))
        notInteger(vm, arg(a, 1));
    a[0].i = v;
}

void strToInt64Def(Vm&, Slot* a, const void*)
{
    int64_t v;
    a[0].i = parseInteger(arg(a, 1), std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), v)
        ? v
        : a[2].i;
}

void floatToStr(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatGeneral(a[1].f, 15)); }

void strToFloat(Vm& vm, Slot* a, const void*)
{
    double v;
    if (!parseReal(arg(a, 1), v))
        vm.failConvert("'" + std::string(arg(a, 1)) + "' is not a valid floating point value");
    a[0].f = v;
}

void strToFloatDef(Vm&, Slot* a, const void*)
{
    double v;
    a[0].f = parseReal(arg(a, 1), v) ? v : a[2].f;
}

void formatFloat(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatFloatPattern(arg(a, 1), a[2].f)); }

void boolToStr(Vm& vm, Slot* a, const void*)
{
    bool v = a[1].i != 0;
    if (a[2].i != 0)
        returnString(vm, a[0], v ? "True" : "False");
    else
        returnString(vm, a[0], v ? "-1" : "0");
}

void strToBool(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    auto equals = [&](std::string_view word) {
        if (s.size() != word.size())
            return false;
        for (std::size_t i = 0; i < s.size(); ++i) {
            if ((s[i] | 0x20) != (word[i] | 0x20))
                return false;
        }
        return true;
    };
    if (equals("true"))
        a[0].i = 1;
    else if (equals("false"))
        a[0].i = 0;
    else {
        int64_t n;
        double r;
        if (parseInteger(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max(), n))
            a[0].i = n != 0;
        else if (parseReal(s, r))
            a[0].i = r != 0;
        else
            vm.failConvert("'" + std::string(s) + "' is not a valid boolean value");
    }
}

// function Format(const Fmt: string; const Args: array of const): string: [result][Fmt][ptr][count]
void format(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatWithArgsImpl(vm, arg(a, 1), a + 2)); }

constexpr NativeEntry kRoutines[] = {
    {"function IntToStr(Value: Int64): string", intToStr},
    {"function IntToHex(Value: Int64; Digits: Integer): string", intToHex},
    {"function StrToInt(const S: string): Integer", strToInt},
    {"function StrToIntDef(const S: string; Default: Integer): Integer", strToIntDef},
    {"function StrToInt64(const S: string): Int64", strToInt64},
    {"function StrToInt64Def(const S: string; Default: Int64): Int64", strToInt64Def},
    {"function FloatToStr(Value: Extended): string", floatToStr},
    {"function StrToFloat(const S: string): Extended", strToFloat},
    {"function StrToFloatDef(const S: string; Default: Extended): Extended", strToFloatDef},
    {"function FormatFloat(const Format: string; Value: Extended): string", formatFloat},
    {"function Format(const Format: string; const Args: array of const): string", format},
    {"function BoolToStr(B: Boolean; UseBoolStrs: Boolean = False): string", boolToStr},
    {"function StrToBool(const S: string): Boolean", strToBool},
};

}  // namespace

std::span<const NativeEntry> conversionRoutines() { return kRoutines; }

std::string formatWithArgsImpl(Vm& vm, std::string_view fmt, const Slot* openArray)
{
    const Slot* items = openArray[0].ref;
    int64_t count = openArray[1].i;
    auto bad = [&]() -> std::string {
        vm.failConvert("Format '" + std::string(fmt) + "' invalid or incompatible with argument");
    };
    std::string out;
    int64_t next = 0;
    std::size_t i = 0;
    while (i < fmt.size()) {
        char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < fmt.size() && fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // %[index:][-][width][.precision]type, with * taking width or precision from the arguments.
        auto number = [&](int64_t& value) -> bool {
            if (i < fmt.size() && fmt[i] == '*') {
                ++i;
                if (next >= count || items[next * 3].i != kArgInteger)
                    bad();
                value = items[next * 3 + 1].i;
                ++next;
                return true;
            }
            bool any = false;
            value = 0;
            while (i < fmt.size() && fmt[i] >= '0' && fmt[i] <= '9') {
                value = value * 10 + (fmt[i] - '0');
                if (value > 100000)
                    bad();
                any = true;
                ++i;
            }
            return any;
        };
        int64_t first = 0;
        bool hasFirst = number(first);
        if (i < fmt.size() && fmt[i] == ':') {
            ++i;
            next = first;
            hasFirst = false;
            first = 0;
        }
        bool left = false;
        if (i < fmt.size() && fmt[i] == '-') {
            left = true;
            ++i;
        }
        int64_t width = 0;
        bool hasWidth = hasFirst;
        if (hasFirst) {
            width = first;
        } else {
            hasWidth = number(width);
        }
        int64_t precision = -1;
        if (i < fmt.size() && fmt[i] == '.') {
            ++i;
            if (!number(precision))
                precision = 0;
        }
        if (i >= fmt.size())
            bad();
        char type = static_cast<char>(fmt[i] | 0x20);
        ++i;
        if (next < 0 || next >= count)
            bad();
        const Slot* item = items + next * 3;
        ++next;
        int64_t tag = item[0].i;
        std::string text;
        switch (type) {
        case 'd':
        case 'u': {
            if (tag != kArgInteger && tag != kArgInt64)
                bad();
            int64_t v = item[1].i;
            if (type == 'u' && v < 0)
                v = static_cast<int64_t>(tag == kArgInteger ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v));
            bool negative = v < 0;
            std::string digits = negative ? std::to_string(v).substr(1) : std::to_string(v);
            if (precision > static_cast<int64_t>(digits.size()))
                digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
            text = (negative ? "-" : "") + digits;
            break;
        }
        case 'x': {
            if (tag != kArgInteger && tag != kArgInt64)
                bad();
            int64_t v = item[1].i;
            uint64_t bits = tag == kArgInteger ? static_cast<uint32_t>(v) : static_cast<uint64_t>(v);
            text = hex(bits, precision > 0 ? static_cast<int>(precision) : 0);
            break;
        }
        case 'f':
        case 'e':
        case 'g':
        case 'n': {
            double v;
            if (tag == kArgReal)
                v = item[1].f;
            else
                bad();
            if (type == 'f')
                text = formatFixed(v, precision >= 0 ? static_cast<int>(precision) : 2, false);
            else if (type == 'n')
                text = formatFixed(v, precision >= 0 ? static_cast<int>(precision) : 2, true);
            else if (type == 'e')
                text = formatScientific(v, precision >= 0 ? static_cast<int>(precision) : 15, 3, true);
            else
                text = formatGeneral(v, precision > 0 ? static_cast<int>(precision) : 15);
            break;
        }
        case 's': {
            if (tag == kArgString)
                text = std::string(strView(item[2].s));
            else if (tag == kArgChar)
                text = std::string(1, static_cast<char>(item[1].i));
            else
                bad();
            if (precision >= 0 && static_cast<std::size_t>(precision) < text.size())
                text.resize(static_cast<std::size_t>(precision));
            break;
        }
        default:
            bad();
        }
        if (hasWidth && width > static_cast<int64_t>(text.size())) {
            std::string pad(static_cast<std::size_t>(width) - text.size(), ' ');
            text = left ? text + pad : pad + text;
        }
        out += text;
    }
    return out;
}

}  // namespace shutterhand::pascal
