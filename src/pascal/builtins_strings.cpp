// String routines: Pos, Delete, Insert, Trim, case conversion, StringReplace and kin.

#include "pascal/builtins.h"

#include <algorithm>

namespace shutterhand::pascal {

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// function Pos(const SubStr, S: string): Integer: [result][SubStr][S]
void pos(Vm&, Slot* a, const void*)
{
    std::string_view sub = arg(a, 1), s = arg(a, 2);
    std::size_t at = sub.empty() ? std::string_view::npos : s.find(sub);
    a[0].i = at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

// function PosEx(const SubStr, S: string; Offset: Integer = 1): Integer
void posEx(Vm&, Slot* a, const void*)
{
    std::string_view sub = arg(a, 1), s = arg(a, 2);
    int64_t offset = a[3].i;
    if (sub.empty() || offset < 1 || offset > static_cast<int64_t>(s.size())) {
        a[0].i = 0;
        return;
    }
    std::size_t at = s.find(sub, static_cast<std::size_t>(offset - 1));
    a[0].i = at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

// procedure Delete(var S: string; Index, Count: Integer): [@S][Index][Count]
void deleteChars(Vm& vm, Slot* a, const void*)
{
    std::string_view s = strView(a[0].ref->s);
    int64_t index = a[1].i, count = a[2].i;
    auto len = static_cast<int64_t>(s.size());
    if (index < 1 || index > len || count <= 0)
        return;
    if (count > len - index + 1)
        count = len - index + 1;
    std::string out(s.substr(0, static_cast<std::size_t>(index - 1)));
    out += s.substr(static_cast<std::size_t>(index - 1 + count));
    assignString(vm, a[0].ref, out);
}

// procedure Insert(const Source: string; var S: string; Index: Integer): [Source][@S][Index]
void insertChars(Vm& vm, Slot* a, const void*)
{
    std::string_view source = arg(a, 0);
    std::string_view s = strView(a[1].ref->s);
    int64_t index = a[2].i;
    if (source.empty())
        return;
    if (index < 1)
        index = 1;
    if (index > static_cast<int64_t>(s.size()) + 1)
        index = static_cast<int64_t>(s.size()) + 1;
    std::string out(s.substr(0, static_cast<std::size_t>(index - 1)));
    out += source;
    out += s.substr(static_cast<std::size_t>(index - 1));
    assignString(vm, a[1].ref, out);
}

bool blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

void trim(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    std::size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    returnString(vm, a[0], s.substr(b, e - b));
}

void trimLeft(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    std::size_t b = 0;
    while (b < s.size() && blank(s[b]))
        ++b;
    returnString(vm, a[0], s.substr(b));
}

void trimRight(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    std::size_t e = s.size();
    while (e > 0 && blank(s[e - 1]))
        --e;
    returnString(vm, a[0], s.substr(0, e));
}

void upperCase(Vm& vm, Slot* a, const void*)
{
    std::string s(arg(a, 1));
    std::transform(s.begin(), s.end(), s.begin(), asciiUpper);
    returnString(vm, a[0], s);
}

void lowerCase(Vm& vm, Slot* a, const void*)
{
    std::string s(arg(a, 1));
    std::transform(s.begin(), s.end(), s.begin(), asciiLower);
    returnString(vm, a[0], s);
}

void ansiUpperCase(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], utf8Upper(arg(a, 1))); }

void ansiLowerCase(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], utf8Lower(arg(a, 1))); }

// function StringReplace(const S, OldPattern, NewPattern: string; Flags: TReplaceFlags): string
// [result][S][Old][New][Flags (four slots)]
void stringReplace(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1), from = arg(a, 2), to = arg(a, 3);
    bool all = (a[4].u & 1) != 0;
    bool ignoreCase = (a[4].u & 2) != 0;
    if (from.empty()) {
        returnString(vm, a[0], s);
        return;
    }
    auto matchAt = [&](std::size_t i) {
        if (i + from.size() > s.size())
            return false;
        for (std::size_t k = 0; k < from.size(); ++k) {
            char x = s[i + k], y = from[k];
            if (ignoreCase ? asciiLower(x) != asciiLower(y) : x != y)
                return false;
        }
        return true;
    };
    std::string out;
    std::size_t i = 0;
    bool replaced = false;
    while (i < s.size()) {
        if ((!replaced || all) && matchAt(i)) {
            out += to;
            i += from.size();
            replaced = true;
            continue;
        }
        out += s[i++];
    }
    returnString(vm, a[0], out);
}

int compareBytes(std::string_view x, std::string_view y, bool ignoreCase)
{
    std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto c = static_cast<unsigned char>(ignoreCase ? asciiLower(x[i]) : x[i]);
        auto d = static_cast<unsigned char>(ignoreCase ? asciiLower(y[i]) : y[i]);
        if (c != d)
            return static_cast<int>(c) - static_cast<int>(d);
    }
    return static_cast<int>(x.size()) - static_cast<int>(y.size());
}

void compareStr(Vm&, Slot* a, const void*) { a[0].i = compareBytes(arg(a, 1), arg(a, 2), false); }

void compareText(Vm&, Slot* a, const void*) { a[0].i = compareBytes(arg(a, 1), arg(a, 2), true); }

void sameText(Vm&, Slot* a, const void*) { a[0].i = compareBytes(arg(a, 1), arg(a, 2), true) == 0; }

void ansiCompareText(Vm&, Slot* a, const void*)
{
    std::string x = utf8Lower(arg(a, 1)), y = utf8Lower(arg(a, 2));
    int c = x.compare(y);
    a[0].i = c < 0 ? -1 : c > 0 ? 1 : 0;
}

void ansiSameText(Vm&, Slot* a, const void*) { a[0].i = utf8Lower(arg(a, 1)) == utf8Lower(arg(a, 2)); }

void quotedStr(Vm& vm, Slot* a, const void*)
{
    std::string out = "'";
    for (char c : arg(a, 1)) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    out += '\'';
    returnString(vm, a[0], out);
}

// function StringOfChar(Ch: Char; Count: Integer): string
void stringOfChar(Vm& vm, Slot* a, const void*)
{
    int64_t count = a[2].i;
    if (count <= 0) {
        a[0].s = nullptr;
        return;
    }
    StrRep* s = vm.heap().newStr(static_cast<std::size_t>(count));
    std::fill(s->chars(), s->chars() + count, static_cast<char>(a[1].i));
    a[0].s = s;
}

void leftStr(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    int64_t n = std::clamp<int64_t>(a[2].i, 0, static_cast<int64_t>(s.size()));
    returnString(vm, a[0], s.substr(0, static_cast<std::size_t>(n)));
}

void rightStr(Vm& vm, Slot* a, const void*)
{
    std::string_view s = arg(a, 1);
    int64_t n = std::clamp<int64_t>(a[2].i, 0, static_cast<int64_t>(s.size()));
    returnString(vm, a[0], s.substr(s.size() - static_cast<std::size_t>(n)));
}

constexpr NativeEntry kRoutines[] = {
    {"function Pos(const SubStr, S: string): Integer", pos},
    {"function PosEx(const SubStr, S: string; Offset: Integer = 1): Integer", posEx},
    {"procedure Delete(var S: string; Index, Count: Integer)", deleteChars},
    {"procedure Insert(const Source: string; var S: string; Index: Integer)", insertChars},
    {"function Trim(const S: string): string", trim},
    {"function TrimLeft(const S: string): string", trimLeft},
    {"function TrimRight(const S: string): string", trimRight},
    {"function UpperCase(const S: string): string", upperCase},
    {"function LowerCase(const S: string): string", lowerCase},
    {"function AnsiUpperCase(const S: string): string", ansiUpperCase},
    {"function AnsiLowerCase(const S: string): string", ansiLowerCase},
    {"function StringReplace(const S, OldPattern, NewPattern: string; Flags: TReplaceFlags): string", stringReplace},
    {"function CompareStr(const S1, S2: string): Integer", compareStr},
    {"function CompareText(const S1, S2: string): Integer", compareText},
    {"function SameText(const S1, S2: string): Boolean", sameText},
    {"function AnsiCompareText(const S1, S2: string): Integer", ansiCompareText},
    {"function AnsiSameText(const S1, S2: string): Boolean", ansiSameText},
    {"function QuotedStr(const S: string): string", quotedStr},
    {"function StringOfChar(Ch: Char; Count: Integer): string", stringOfChar},
    {"function LeftStr(const S: string; Count: Integer): string", leftStr},
    {"function RightStr(const S: string; Count: Integer): string", rightStr},
};

}  // namespace

std::span<const NativeEntry> stringRoutines() { return kRoutines; }

}  // namespace shutterhand::pascal
