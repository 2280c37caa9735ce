#pragma once

// Tables of the standard routines, one per area: each entry is a declaration text and the native
// function that carries it out. stdlib.cpp registers them all.

#include "pascal/heap.h"
#include "pascal/value.h"
#include "pascal/vm.h"

#include <span>
#include <string>
#include <string_view>

namespace shutterhand::pascal {

class DeclarationSet;
struct StandardClasses;

struct NativeEntry {
    const char* heading;
    NativeFn fn;
};

std::span<const NativeEntry> stringRoutines();
std::span<const NativeEntry> conversionRoutines();
std::span<const NativeEntry> mathRoutines();
std::span<const NativeEntry> dateTimeRoutines();
std::span<const NativeEntry> fileRoutines();

// Declares TObject, the exception classes and the string lists.
void declareStandardClasses(DeclarationSet& set, StandardClasses& classes);

// ---- helpers for native routines ----

// Writes a new string into a result slot, which holds nothing yet.
inline void returnString(Vm& vm, Slot& result, std::string_view text) { result.s = vm.heap().makeStr(text); }

inline std::string_view arg(const Slot* args, int index) { return strView(args[index].s); }

// Replaces the string a var parameter points at.
inline void assignString(Vm& vm, Slot* target, std::string_view text)
{
    StrRep* s = vm.heap().makeStr(text);
    vm.heap().release(target->s);
    target->s = s;
}

// Real number formatting shared by FloatToStr, Format and FormatFloat.
std::string formatGeneral(double value, int precision);
std::string formatFixed(double value, int decimals, bool thousands);
std::string formatScientific(double value, int precision, int minExponentDigits, bool plusSign);
std::string formatFloatPattern(std::string_view pattern, double value);
// Format's work: `openArray` is the argument's address and count.
std::string formatWithArgsImpl(Vm& vm, std::string_view fmt, const Slot* openArray);
// Parses a real number as StrToFloat does; false when the text is not one.
bool parseReal(std::string_view text, double& value);
// Parses an integer as StrToInt does (decimal or $hex); false when invalid or out of range.
bool parseInteger(std::string_view text, int64_t min, int64_t max, int64_t& value);

// Upper and lower case of UTF-8 text, for the letters of Latin, Greek and Cyrillic script.
std::string utf8Upper(std::string_view text);
std::string utf8Lower(std::string_view text);

}  // namespace shutterhand::pascal
