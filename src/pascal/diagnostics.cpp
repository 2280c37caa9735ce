#include "pascal/diagnostics.h"

#include <algorithm>

namespace shutterhand::pascal {

std::string Diagnostic::line() const
{
    const char* kind = severity == Severity::Error ? "Error" : severity == Severity::Warning ? "Warning" : "Hint";
    std::string out;
    out.reserve(text.size() + module.size() + 32);
    out += '[';
    out += kind;
    out += "] ";
    out += module;
    out += '(';
    out += std::to_string(pos.row);
    out += ':';
    out += std::to_string(pos.col);
    out += "): ";
    out += text;
    return out;
}

void Diagnostics::add(Severity severity, SourcePos pos, std::string text)
{
    if (severity == Severity::Error) {
        ++errors_;
        if (errors_ > kMaxErrors)
            return;
    }
    items_.push_back(Diagnostic{severity, module_, pos, std::move(text)});
}

void Diagnostics::sortByPosition()
{
    std::stable_sort(items_.begin(), items_.end(), [](const Diagnostic& a, const Diagnostic& b) {
        return a.pos.row < b.pos.row || (a.pos.row == b.pos.row && a.pos.col < b.pos.col);
    });
}

std::string quoted(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    out += text;
    out += '\'';
    return out;
}

}  // namespace shutterhand::pascal
