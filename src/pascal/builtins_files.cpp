// File and path routines on Linux paths ("/" separates folders), plus Sleep and the environment.

#include "pascal/builtins.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace shutterhand::pascal {

namespace {

namespace fs = std::filesystem;

// procedure Sleep(Milliseconds: Cardinal): the wait counts towards the time limit and ends with it.
void sleepFn(Vm& vm, Slot* a, const void*)
{
    auto wanted = std::chrono::milliseconds(a[0].i);
    auto left = vm.timeLeft();
    if (left < wanted) {
        if (left > std::chrono::steady_clock::duration::zero())
            std::this_thread::sleep_for(left);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        vm.checkTime();
    }
    std::this_thread::sleep_for(wanted);
}

bool statPath(std::string_view path, struct stat& st)
{
    std::string p(path);
    return !p.empty() && ::stat(p.c_str(), &st) == 0;
}

void fileExists(Vm&, Slot* a, const void*)
{
    struct stat st;
    a[0].i = statPath(arg(a, 1), st) && !S_ISDIR(st.st_mode);
}

void directoryExists(Vm&, Slot* a, const void*)
{
    struct stat st;
    a[0].i = statPath(arg(a, 1), st) && S_ISDIR(st.st_mode);
}

void forceDirectories(Vm&, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    if (p.empty()) {
        a[0].i = 0;
        return;
    }
    std::error_code ec;
    fs::create_directories(fs::path(std::string(p)), ec);
    struct stat st;
    a[0].i = statPath(p, st) && S_ISDIR(st.st_mode);
}

void deleteFile(Vm&, Slot* a, const void*)
{
    std::string p(arg(a, 1));
    struct stat st;
    a[0].i = !p.empty() && ::lstat(p.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && ::unlink(p.c_str()) == 0;
}

// function RenameFile(const OldName, NewName: string): Boolean. As on Windows, an existing target is
// not replaced.
void renameFile(Vm&, Slot* a, const void*)
{
    std::string from(arg(a, 1)), to(arg(a, 2));
    struct stat st;
    if (from.empty() || to.empty() || ::lstat(to.c_str(), &st) == 0) {
        a[0].i = 0;
        return;
    }
    a[0].i = ::rename(from.c_str(), to.c_str()) == 0;
}

// function CopyFile(const ExistingFileName, NewFileName: string; FailIfExists: Boolean): Boolean
void copyFile(Vm&, Slot* a, const void*)
{
    std::error_code ec;
    auto options = a[3].i != 0 ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    std::string from(arg(a, 1)), to(arg(a, 2));
    a[0].i = !from.empty() && !to.empty() && fs::copy_file(from, to, options, ec) && !ec;
}

std::size_t lastSlash(std::string_view p) { return p.rfind('/'); }

void extractFileName(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    std::size_t s = lastSlash(p);
    returnString(vm, a[0], s == std::string_view::npos ? p : p.substr(s + 1));
}

void extractFilePath(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    std::size_t s = lastSlash(p);
    returnString(vm, a[0], s == std::string_view::npos ? std::string_view() : p.substr(0, s + 1));
}

void extractFileDir(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    std::size_t s = lastSlash(p);
    if (s == std::string_view::npos)
        returnString(vm, a[0], {});
    else
        returnString(vm, a[0], p.substr(0, s == 0 ? 1 : s));
}

std::size_t extensionStart(std::string_view p)
{
    std::size_t dot = p.rfind('.');
    std::size_t s = lastSlash(p);
    if (dot == std::string_view::npos || (s != std::string_view::npos && dot < s))
        return std::string_view::npos;
    return dot;
}

void extractFileExt(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    std::size_t dot = extensionStart(p);
    returnString(vm, a[0], dot == std::string_view::npos ? std::string_view() : p.substr(dot));
}

void changeFileExt(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    std::size_t dot = extensionStart(p);
    std::string out(dot == std::string_view::npos ? p : p.substr(0, dot));
    out += arg(a, 2);
    returnString(vm, a[0], out);
}

void includeTrailingDelimiter(Vm& vm, Slot* a, const void*)
{
    std::string out(arg(a, 1));
    if (out.empty() || out.back() != '/')
        out += '/';
    returnString(vm, a[0], out);
}

void excludeTrailingDelimiter(Vm& vm, Slot* a, const void*)
{
    std::string_view p = arg(a, 1);
    if (!p.empty() && p.back() == '/')
        p.remove_suffix(1);
    returnString(vm, a[0], p);
}

void getEnvironmentVariable(Vm& vm, Slot* a, const void*)
{
    std::string name(arg(a, 1));
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    returnString(vm, a[0], value != nullptr ? std::string_view(value) : std::string_view());
}

constexpr NativeEntry kRoutines[] = {
    {"procedure Sleep(Milliseconds: Cardinal)", sleepFn},
    {"function FileExists(const FileName: string): Boolean", fileExists},
    {"function DirectoryExists(const Directory: string): Boolean", directoryExists},
    {"function ForceDirectories(const Dir: string): Boolean", forceDirectories},
    {"function DeleteFile(const FileName: string): Boolean", deleteFile},
    {"function RenameFile(const OldName, NewName: string): Boolean", renameFile},
    {"function CopyFile(const ExistingFileName, NewFileName: string; FailIfExists: Boolean): Boolean", copyFile},
    {"function ExtractFileName(const FileName: string): string", extractFileName},
    {"function ExtractFilePath(const FileName: string): string", extractFilePath},
    {"function ExtractFileDir(const FileName: string): string", extractFileDir},
    {"function ExtractFileExt(const FileName: string): string", extractFileExt},
    {"function ChangeFileExt(const FileName, Extension: string): string", changeFileExt},
    {"function IncludeTrailingPathDelimiter(const S: string): string", includeTrailingDelimiter},
    {"function ExcludeTrailingPathDelimiter(const S: string): string", excludeTrailingDelimiter},
    {"function GetEnvironmentVariable(const Name: string): string", getEnvironmentVariable},
};

}  // namespace

std::span<const NativeEntry> fileRoutines() { return kRoutines; }

}  // namespace shutterhand::pascal
