#include "pascal/builtins.h"
#include "pascal/declaration_set.h"
#include "pascal/stdlib.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace shutterhand::pascal {

namespace {

// ---------------- TObject ----------------

struct PlainObject {
    char unused = 0;
};

void destroyPlain(void* p, const void*) { delete static_cast<PlainObject*>(p); }

void objectCreate(Vm& vm, Slot* args, const void* data)
{
    args[0].u = vm.objects().add(static_cast<const ClassInfo*>(data), new PlainObject, true);
}

// procedure Free: [self]. Free on nil does nothing; objects of the host are not the script's to free.
void objectFree(Vm& vm, Slot* args, const void*)
{
    ObjectHandle h = args[0].u;
    if (h == 0)
        return;
    vm.object(h);
    vm.objects().free(h);
}

// function ClassName: string: [result][self]
void objectClassName(Vm& vm, Slot* args, const void*) { returnString(vm, args[0], vm.object(args[1].u).cls->name); }

// ---------------- exceptions ----------------

void destroyException(void* p, const void*) { delete static_cast<ExceptionData*>(p); }

// constructor Create(const Msg: string): [result][Msg]; data: the class
void exceptionCreate(Vm& vm, Slot* args, const void* data)
{
    auto* e = new ExceptionData{std::string(arg(args, 1)), {}, false};
    args[0].u = vm.objects().add(static_cast<const ClassInfo*>(data), e, true);
}

std::string formatWithArgs(Vm& vm, std::string_view fmt, const Slot* openArray);

// constructor CreateFmt(const Msg: string; const Args: array of const): [result][Msg][ptr,count]
void exceptionCreateFmt(Vm& vm, Slot* args, const void* data)
{
    auto* e = new ExceptionData{formatWithArgs(vm, arg(args, 1), args + 2), {}, false};
    args[0].u = vm.objects().add(static_cast<const ClassInfo*>(data), e, true);
}

ExceptionData& exceptionOf(Vm& vm, const Slot& self) { return *static_cast<ExceptionData*>(vm.object(self.u).ptr); }

// property Message: getter [result][self], setter [self][value]
void exceptionGetMessage(Vm& vm, Slot* args, const void*)
{
    returnString(vm, args[0], exceptionOf(vm, args[1]).message);
}

void exceptionSetMessage(Vm& vm, Slot* args, const void*)
{
    exceptionOf(vm, args[0]).message = std::string(arg(args, 1));
}

// ---------------- string lists ----------------

// The items count against the run's memory limit like strings do, so that a list growing in a loop
// ends the run with "Out of memory" instead of exhausting the program's memory.
struct StringList {
    explicit StringList(Heap& h)
        : heap(h)
    { }
    ~StringList() { heap.discharge(bytes); }

    static std::size_t cost(std::string_view s) { return s.size() + 32; }
    void insertAt(std::size_t at, std::string_view s)
    {
        heap.charge(cost(s));
        bytes += cost(s);
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::string(s));
    }
    void eraseAt(std::size_t at)
    {
        bytes -= cost(items[at]);
        heap.discharge(cost(items[at]));
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(at));
    }
    void assignAt(std::size_t at, std::string_view s)
    {
        heap.charge(cost(s));
        bytes += cost(s);
        bytes -= cost(items[at]);
        heap.discharge(cost(items[at]));
        items[at] = std::string(s);
    }
    void clear()
    {
        heap.discharge(bytes);
        bytes = 0;
        items.clear();
    }

    Heap& heap;
    std::size_t bytes = 0;
    std::vector<std::string> items;
    bool sorted = false;
    bool caseSensitive = false;
    bool strictDelimiter = false;
    char delimiter = ',';
    char quoteChar = '"';
};

void destroyStringList(void* p, const void*) { delete static_cast<StringList*>(p); }

StringList& listOf(Vm& vm, const Slot& self) { return *static_cast<StringList*>(vm.object(self.u).ptr); }

int compareText(std::string_view a, std::string_view b, bool caseSensitive)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(a[i]);
        auto y = static_cast<unsigned char>(b[i]);
        if (!caseSensitive) {
            if (x >= 'A' && x <= 'Z')
                x += 32;
            if (y >= 'A' && y <= 'Z')
                y += 32;
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

[[noreturn]] void indexError(Vm& vm, int64_t index)
{
    vm.fail(standardClasses().stringListError, "List index out of bounds (" + std::to_string(index) + ")");
}

std::size_t checkedIndex(Vm& vm, const StringList& l, int64_t index)
{
    if (index < 0 || static_cast<uint64_t>(index) >= l.items.size())
        indexError(vm, index);
    return static_cast<std::size_t>(index);
}

// Binary search in a sorted list: true when found; `at` is the match or the insertion point.
bool findSorted(const StringList& l, std::string_view s, std::size_t& at)
{
    std::size_t lo = 0, hi = l.items.size();
    while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        int c = compareText(l.items[mid], s, l.caseSensitive);
        if (c < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    at = lo;
    return lo < l.items.size() && compareText(l.items[lo], s, l.caseSensitive) == 0;
}

int64_t addItem(StringList& l, std::string_view s)
{
    if (!l.sorted) {
        l.insertAt(l.items.size(), s);
        return static_cast<int64_t>(l.items.size()) - 1;
    }
    std::size_t at;
    if (findSorted(l, s, at))
        return static_cast<int64_t>(at);  // duplicates are ignored in a sorted list
    l.insertAt(at, s);
    return static_cast<int64_t>(at);
}

void sortList(StringList& l)
{
    std::stable_sort(l.items.begin(), l.items.end(), [&](const std::string& a, const std::string& b) {
        return compareText(a, b, l.caseSensitive) < 0;
    });
}

int64_t indexOf(const StringList& l, std::string_view s)
{
    if (l.sorted) {
        std::size_t at;
        return findSorted(l, s, at) ? static_cast<int64_t>(at) : -1;
    }
    for (std::size_t i = 0; i < l.items.size(); ++i) {
        if (compareText(l.items[i], s, l.caseSensitive) == 0)
            return static_cast<int64_t>(i);
    }
    return -1;
}

int64_t indexOfName(const StringList& l, std::string_view name)
{
    for (std::size_t i = 0; i < l.items.size(); ++i) {
        std::string_view item = l.items[i];
        std::size_t eq = item.find('=');
        if (eq != std::string_view::npos && compareText(item.substr(0, eq), name, l.caseSensitive) == 0)
            return static_cast<int64_t>(i);
    }
    return -1;
}

std::string joinText(const StringList& l)
{
    std::string out;
    for (const std::string& s : l.items) {
        out += s;
        out += '\n';
    }
    return out;
}

void setText(StringList& l, std::string_view text)
{
    l.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            addItem(l, text.substr(i));
            break;
        }
        addItem(l, text.substr(i, end - i));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n')
            ++i;
    }
}

std::string delimitedText(const StringList& l, char delimiter)
{
    std::string out;
    for (std::size_t i = 0; i < l.items.size(); ++i) {
        const std::string& s = l.items[i];
        bool quote = false;
        for (char c : s) {
            if (c == l.quoteChar || c == delimiter || (!l.strictDelimiter && static_cast<unsigned char>(c) <= ' '))
                quote = true;
        }
        if (quote) {
            out += l.quoteChar;
            for (char c : s) {
                out += c;
                if (c == l.quoteChar)
                    out += c;
            }
            out += l.quoteChar;
        } else {
            out += s;
        }
        if (i + 1 < l.items.size())
            out += delimiter;
    }
    return out;
}

void setDelimitedText(StringList& l, std::string_view text, char delimiter)
{
    l.clear();
    auto isSpace = [&](char c) { return !l.strictDelimiter && static_cast<unsigned char>(c) <= ' '; };
    std::size_t i = 0;
    std::size_t n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    while (i < n) {
        std::string item;
        if (text[i] == l.quoteChar) {
            ++i;
            while (i < n) {
                if (text[i] == l.quoteChar) {
                    if (i + 1 < n && text[i + 1] == l.quoteChar) {
                        item += l.quoteChar;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != delimiter && !isSpace(text[i]))
                item += text[i++];
        }
        addItem(l, item);
        while (i < n && isSpace(text[i]))
            ++i;
        if (i < n && text[i] == delimiter) {
            ++i;
            // A delimiter at the very end, or one followed by another, stands for an empty item.
            std::size_t j = i;
            while (j < n && isSpace(text[j]))
                ++j;
            if (j >= n || text[j] == delimiter) {
                i = j;
                if (i >= n)
                    addItem(l, "");
                continue;
            }
            i = j;
        }
    }
}

// function Add(const S: string): Integer: [result][self][S]
void slAdd(Vm& vm, Slot* args, const void*) { args[0].i = addItem(listOf(vm, args[1]), arg(args, 2)); }

// procedure Insert(Index: Integer; const S: string): [self][Index][S]
void slInsert(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    if (l.sorted)
        vm.fail(standardClasses().stringListError, "Operation not allowed on sorted list");
    int64_t index = args[1].i;
    if (index < 0 || static_cast<uint64_t>(index) > l.items.size())
        indexError(vm, index);
    l.insertAt(static_cast<std::size_t>(index), arg(args, 2));
}

// procedure Delete(Index: Integer): [self][Index]
void slDelete(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    l.eraseAt(checkedIndex(vm, l, args[1].i));
}

void slClear(Vm& vm, Slot* args, const void*) { listOf(vm, args[0]).clear(); }

void slCount(Vm& vm, Slot* args, const void*) { args[0].i = static_cast<int64_t>(listOf(vm, args[1]).items.size()); }

// Strings[Index]: getter [result][self][Index]; setter [self][Index][value]
void slGet(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[1]);
    returnString(vm, args[0], l.items[checkedIndex(vm, l, args[2].i)]);
}

void slPut(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    if (l.sorted)
        vm.fail(standardClasses().stringListError, "Operation not allowed on sorted list");
    l.assignAt(checkedIndex(vm, l, args[1].i), arg(args, 2));
}

void slIndexOf(Vm& vm, Slot* args, const void*) { args[0].i = indexOf(listOf(vm, args[1]), arg(args, 2)); }

void slIndexOfName(Vm& vm, Slot* args, const void*) { args[0].i = indexOfName(listOf(vm, args[1]), arg(args, 2)); }

void slGetText(Vm& vm, Slot* args, const void*) { returnString(vm, args[0], joinText(listOf(vm, args[1]))); }

void slSetText(Vm& vm, Slot* args, const void*) { setText(listOf(vm, args[0]), arg(args, 1)); }

void slGetCommaText(Vm& vm, Slot* args, const void*)
{
    returnString(vm, args[0], delimitedText(listOf(vm, args[1]), ','));
}

void slSetCommaText(Vm& vm, Slot* args, const void*) { setDelimitedText(listOf(vm, args[0]), arg(args, 1), ','); }

void slGetDelimiter(Vm& vm, Slot* args, const void*)
{
    args[0].i = static_cast<uint8_t>(listOf(vm, args[1]).delimiter);
}

void slSetDelimiter(Vm& vm, Slot* args, const void*) { listOf(vm, args[0]).delimiter = static_cast<char>(args[1].i); }

void slGetDelimitedText(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[1]);
    returnString(vm, args[0], delimitedText(l, l.delimiter));
}

void slSetDelimitedText(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    setDelimitedText(l, arg(args, 1), l.delimiter);
}

void slGetStrict(Vm& vm, Slot* args, const void*) { args[0].i = listOf(vm, args[1]).strictDelimiter; }

void slSetStrict(Vm& vm, Slot* args, const void*) { listOf(vm, args[0]).strictDelimiter = args[1].i != 0; }

// Values[Name]: getter [result][self][Name]; setter [self][Name][value]
void slGetValue(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[1]);
    int64_t i = indexOfName(l, arg(args, 2));
    if (i < 0) {
        args[0].s = nullptr;
        return;
    }
    const std::string& item = l.items[static_cast<std::size_t>(i)];
    returnString(vm, args[0], std::string_view(item).substr(item.find('=') + 1));
}

void slSetValue(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    std::string_view name = arg(args, 1);
    std::string_view value = arg(args, 2);
    int64_t i = indexOfName(l, name);
    if (value.empty()) {
        // Setting an empty value removes the entry, as Delphi does.
        if (i >= 0)
            l.eraseAt(static_cast<std::size_t>(i));
        return;
    }
    std::string item = std::string(name) + "=" + std::string(value);
    if (i >= 0) {
        l.assignAt(static_cast<std::size_t>(i), item);
        if (l.sorted)
            sortList(l);
    } else {
        addItem(l, item);
    }
}

void slGetName(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[1]);
    const std::string& item = l.items[checkedIndex(vm, l, args[2].i)];
    std::size_t eq = item.find('=');
    returnString(vm, args[0], eq == std::string::npos ? std::string_view() : std::string_view(item).substr(0, eq));
}

void slGetValueFromIndex(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[1]);
    const std::string& item = l.items[checkedIndex(vm, l, args[2].i)];
    std::size_t eq = item.find('=');
    returnString(vm, args[0], eq == std::string::npos ? std::string_view() : std::string_view(item).substr(eq + 1));
}

void slGetSorted(Vm& vm, Slot* args, const void*) { args[0].i = listOf(vm, args[1]).sorted; }

void slSetSorted(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    bool sorted = args[1].i != 0;
    if (sorted && !l.sorted)
        sortList(l);
    l.sorted = sorted;
}

void slGetCaseSensitive(Vm& vm, Slot* args, const void*) { args[0].i = listOf(vm, args[1]).caseSensitive; }

void slSetCaseSensitive(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    l.caseSensitive = args[1].i != 0;
    if (l.sorted)
        sortList(l);
}

void slSort(Vm& vm, Slot* args, const void*) { sortList(listOf(vm, args[0])); }

void slAddStrings(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    if (args[1].u == 0)
        return;
    std::vector<std::string> copy = listOf(vm, args[1]).items;
    for (const std::string& s : copy)
        addItem(l, s);
}

void slLoadFromFile(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    std::string path(arg(args, 1));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        vm.fail(standardClasses().fileOpenError, "Cannot open file \"" + path + "\". " + std::strerror(errno));
    // The whole file is read before it is split: it must fit in what the run may still use.
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    std::size_t reserved = ec ? 0 : static_cast<std::size_t>(size);
    vm.heap().charge(reserved);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    vm.heap().discharge(reserved);
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    setText(l, text);
}

void slSaveToFile(Vm& vm, Slot* args, const void*)
{
    StringList& l = listOf(vm, args[0]);
    std::string path(arg(args, 1));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        vm.fail(standardClasses().fileCreateError, "Cannot create file \"" + path + "\". " + std::strerror(errno));
    out << joinText(l);
    out.flush();
    if (!out)
        vm.failInOut("Cannot write file \"" + path + "\"");
}

}  // namespace

namespace {
std::string formatWithArgs(Vm& vm, std::string_view fmt, const Slot* openArray)
{
    return formatWithArgsImpl(vm, fmt, openArray);
}
}  // namespace

void declareStandardClasses(DeclarationSet& set, StandardClasses& classes)
{
    ClassInfo* object = set.addClass("TObject", {}, destroyPlain, nullptr);
    set.addMethod(object, "constructor Create", Binding{objectCreate, object});
    set.addMethod(object, "procedure Free", Binding{objectFree, nullptr});
    set.addMethod(object, "function ClassName: string", Binding{objectClassName, nullptr});
    classes.object = object;

    ClassInfo* exception = set.addClass("Exception", "TObject", destroyException, nullptr);
    exception->isException = true;
    classes.exception = exception;
    auto exceptionClass = [&](const char* name, const char* parent) {
        ClassInfo* c = std::string_view(name) == "Exception" ? exception : set.addClass(name, parent, nullptr, nullptr);
        set.addMethod(c, "constructor Create(const Msg: string)", Binding{exceptionCreate, c});
        set.addMethod(c, "constructor CreateFmt(const Msg: string; const Args: array of const)",
                      Binding{exceptionCreateFmt, c});
        return c;
    };
    exceptionClass("Exception", "TObject");
    set.addProperty(exception, "Message", {}, "string", true, Binding{exceptionGetMessage, nullptr},
                    Binding{exceptionSetMessage, nullptr}, false);
    exceptionClass("EIntError", "Exception");
    classes.divByZero = exceptionClass("EDivByZero", "EIntError");
    classes.rangeError = exceptionClass("ERangeError", "EIntError");
    exceptionClass("EMathError", "Exception");
    classes.zeroDivide = exceptionClass("EZeroDivide", "EMathError");
    classes.invalidOp = exceptionClass("EInvalidOp", "EMathError");
    classes.overflow = exceptionClass("EOverflow", "EMathError");
    classes.convertError = exceptionClass("EConvertError", "Exception");
    classes.invalidCast = exceptionClass("EInvalidCast", "Exception");
    classes.accessViolation = exceptionClass("EAccessViolation", "Exception");
    classes.inOutError = exceptionClass("EInOutError", "Exception");
    classes.stringListError = exceptionClass("EStringListError", "Exception");
    exceptionClass("EStreamError", "Exception");
    exceptionClass("EFileStreamError", "EStreamError");
    classes.fileOpenError = exceptionClass("EFOpenError", "EFileStreamError");
    classes.fileCreateError = exceptionClass("EFCreateError", "EFileStreamError");

    ClassInfo* strings = set.addClass("TStrings", "TObject", destroyStringList, nullptr);
    classes.strings = strings;
    set.addMethod(strings, "function Add(const S: string): Integer", Binding{slAdd, nullptr});
    set.addMethod(strings, "procedure Insert(Index: Integer; const S: string)", Binding{slInsert, nullptr});
    set.addMethod(strings, "procedure Delete(Index: Integer)", Binding{slDelete, nullptr});
    set.addMethod(strings, "procedure Clear", Binding{slClear, nullptr});
    set.addMethod(strings, "function IndexOf(const S: string): Integer", Binding{slIndexOf, nullptr});
    set.addMethod(strings, "function IndexOfName(const Name: string): Integer", Binding{slIndexOfName, nullptr});
    set.addMethod(strings, "procedure AddStrings(Strings: TStrings)", Binding{slAddStrings, nullptr});
    set.addMethod(strings, "procedure LoadFromFile(const FileName: string)", Binding{slLoadFromFile, nullptr});
    set.addMethod(strings, "procedure SaveToFile(const FileName: string)", Binding{slSaveToFile, nullptr});
    set.addProperty(strings, "Count", {}, "Integer", false, Binding{slCount, nullptr}, {}, false);
    set.addProperty(strings, "Strings", "Index: Integer", "string", true, Binding{slGet, nullptr},
                    Binding{slPut, nullptr}, true);
    set.addProperty(strings, "Text", {}, "string", true, Binding{slGetText, nullptr}, Binding{slSetText, nullptr},
                    false);
    set.addProperty(strings, "CommaText", {}, "string", true, Binding{slGetCommaText, nullptr},
                    Binding{slSetCommaText, nullptr}, false);
    set.addProperty(strings, "Delimiter", {}, "Char", true, Binding{slGetDelimiter, nullptr},
                    Binding{slSetDelimiter, nullptr}, false);
    set.addProperty(strings, "DelimitedText", {}, "string", true, Binding{slGetDelimitedText, nullptr},
                    Binding{slSetDelimitedText, nullptr}, false);
    set.addProperty(strings, "StrictDelimiter", {}, "Boolean", true, Binding{slGetStrict, nullptr},
                    Binding{slSetStrict, nullptr}, false);
    set.addProperty(strings, "Values", "Name: string", "string", true, Binding{slGetValue, nullptr},
                    Binding{slSetValue, nullptr}, false);
    set.addProperty(strings, "Names", "Index: Integer", "string", false, Binding{slGetName, nullptr}, {}, false);
    set.addProperty(strings, "ValueFromIndex", "Index: Integer", "string", false, Binding{slGetValueFromIndex, nullptr},
                    {}, false);

    ClassInfo* list = set.addClass("TStringList", "TStrings", nullptr, nullptr);
    classes.stringList = list;
    set.addMethod(list, "constructor Create",
                  Binding{[](Vm& vm, Slot* args, const void* data) {
                              args[0].u = vm.objects().add(static_cast<const ClassInfo*>(data),
                                                           new StringList(vm.heap()), true);
                          },
                          list});
    set.addMethod(list, "procedure Sort", Binding{slSort, nullptr});
    set.addProperty(list, "Sorted", {}, "Boolean", true, Binding{slGetSorted, nullptr}, Binding{slSetSorted, nullptr},
                    false);
    set.addProperty(list, "CaseSensitive", {}, "Boolean", true, Binding{slGetCaseSensitive, nullptr},
                    Binding{slSetCaseSensitive, nullptr}, false);
}

}  // namespace shutterhand::pascal
