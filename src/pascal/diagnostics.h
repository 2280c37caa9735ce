#pragma once

#include "pascal/source_pos.h"

#include <string>
#include <string_view>
#include <vector>

namespace shutterhand::pascal {

enum class Severity { Error, Warning, Hint };

// One compiler message.
struct Diagnostic {
    Severity severity = Severity::Error;
    std::string module;  // empty for the script itself
    SourcePos pos;
    std::string text;

    // The message as one line: "[Error] (3:7): Unknown identifier 'Foo'".
    std::string line() const;
};

// Collects the messages of one compile in order. The compiler never prints; the host reads them here.
class Diagnostics {
public:
    // Adds a message; after kMaxErrors errors further errors are dropped, since they are mostly echoes.
    void add(Severity severity, SourcePos pos, std::string text);
    // Adds an error.
    void error(SourcePos pos, std::string text) { add(Severity::Error, pos, std::move(text)); }
    // Adds a warning.
    void warning(SourcePos pos, std::string text) { add(Severity::Warning, pos, std::move(text)); }
    // Adds a hint.
    void hint(SourcePos pos, std::string text) { add(Severity::Hint, pos, std::move(text)); }

    // Number of errors recorded so far (including dropped ones).
    int errorCount() const { return errors_; }
    // Whether the error limit has been reached, so that callers can stop early.
    bool full() const { return errors_ >= kMaxErrors; }
    // The recorded messages in order.
    const std::vector<Diagnostic>& all() const { return items_; }
    // Sets the module name given to later messages.
    void setModule(std::string module) { module_ = std::move(module); }
    // Orders the messages by their position in the text (stable for equal positions).
    void sortByPosition();
    void clear()
    {
        items_.clear();
        errors_ = 0;
    }

    static constexpr int kMaxErrors = 50;

private:
    std::vector<Diagnostic> items_;
    std::string module_;
    int errors_ = 0;
};

// Puts a name or text in single quotes for a message.
std::string quoted(std::string_view text);

}  // namespace shutterhand::pascal
