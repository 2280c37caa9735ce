#pragma once

// The standard declarations every script sees: types, constants, routines and classes.

#include "pascal/symbols.h"

namespace shutterhand::pascal {

struct StandardClasses {
    const ClassInfo* object;
    const ClassInfo* exception;
    const ClassInfo* divByZero;        // EDivByZero
    const ClassInfo* rangeError;       // ERangeError
    const ClassInfo* convertError;     // EConvertError
    const ClassInfo* invalidCast;      // EInvalidCast
    const ClassInfo* accessViolation;  // EAccessViolation (nil or freed objects)
    const ClassInfo* inOutError;       // EInOutError
    const ClassInfo* zeroDivide;       // EZeroDivide (real division by zero)
    const ClassInfo* invalidOp;        // EInvalidOp (invalid real operation)
    const ClassInfo* overflow;         // EOverflow
    const ClassInfo* stringListError;  // EStringListError
    const ClassInfo* fileOpenError;    // EFOpenError
    const ClassInfo* fileCreateError;  // EFCreateError
    const ClassInfo* strings;          // TStrings
    const ClassInfo* stringList;       // TStringList
};

// The standard scope, built once per process and shared read-only by every compile.
const Scope& standardScope();
const StandardClasses& standardClasses();

}  // namespace shutterhand::pascal
