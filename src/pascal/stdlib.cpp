#include "pascal/stdlib.h"

#include "pascal/builtins.h"
#include "pascal/declaration_set.h"
#include "pascal/typed_tree.h"

#include <limits>
#include <stdexcept>

namespace shutterhand::pascal {

namespace {

struct Library {
    DeclarationSet set{"System", {}};
    StandardClasses classes{};

    Library()
    {
        const BuiltinTypes& bt = builtinTypes();
        struct Alias {
            const char* name;
            const Type* type;
        };
        const Alias aliases[] = {
            {"Integer", bt.integerType},   {"LongInt", bt.integerType},   {"NativeInt", bt.int64Type},
            {"Cardinal", bt.cardinalType}, {"LongWord", bt.cardinalType}, {"DWord", bt.cardinalType},
            {"Byte", bt.byteType},         {"ShortInt", bt.shortIntType}, {"Word", bt.wordType},
            {"SmallInt", bt.smallIntType}, {"Int64", bt.int64Type},       {"Boolean", bt.booleanType},
            {"Char", bt.charType},         {"AnsiChar", bt.charType},     {"AnsiString", bt.stringType},
            {"Single", bt.singleType},     {"Double", bt.doubleType},     {"Extended", bt.extendedType},
            {"Real", bt.doubleType},       {"Currency", bt.currencyType}, {"TDateTime", bt.dateTimeType},
        };
        for (const Alias& a : aliases)
            set.addTypeAlias(a.name, a.type);

        auto integer = [&](const char* name, int64_t v, const Type* t) {
            ConstValue c;
            c.i = v;
            set.addConstant(name, t, c);
        };
        integer("True", 1, bt.booleanType);
        integer("False", 0, bt.booleanType);
        integer("MaxInt", std::numeric_limits<int32_t>::max(), bt.integerType);
        integer("MaxLongInt", std::numeric_limits<int32_t>::max(), bt.integerType);
        integer("PathDelim", '/', bt.charType);
        ConstValue lineBreak;
        lineBreak.i = '\n';
        lineBreak.s = "\n";
        set.addConstant("sLineBreak", bt.charType, lineBreak);

        struct Named {
            const char* name;
            tt::Intrinsic id;
        };
        const Named intrinsics[] = {
            {"Inc", tt::Intrinsic::Inc},           {"Dec", tt::Intrinsic::Dec},
            {"Ord", tt::Intrinsic::Ord},           {"Chr", tt::Intrinsic::Chr},
            {"Succ", tt::Intrinsic::Succ},         {"Pred", tt::Intrinsic::Pred},
            {"Low", tt::Intrinsic::Low},           {"High", tt::Intrinsic::High},
            {"Length", tt::Intrinsic::Length},     {"SetLength", tt::Intrinsic::SetLength},
            {"Copy", tt::Intrinsic::Copy},         {"Abs", tt::Intrinsic::Abs},
            {"Sqr", tt::Intrinsic::Sqr},           {"Min", tt::Intrinsic::Min},
            {"Max", tt::Intrinsic::Max},           {"Exit", tt::Intrinsic::Exit},
            {"Break", tt::Intrinsic::Break},       {"Continue", tt::Intrinsic::Continue},
            {"Assigned", tt::Intrinsic::Assigned}, {"FreeAndNil", tt::Intrinsic::FreeAndNil},
            {"Include", tt::Intrinsic::Include},   {"Exclude", tt::Intrinsic::Exclude},
            {"Random", tt::Intrinsic::Random},     {"Odd", tt::Intrinsic::Odd},
        };
        for (const Named& n : intrinsics)
            set.addIntrinsic(n.name, static_cast<int>(n.id));

        set.addType("TReplaceFlag", "(rfReplaceAll, rfIgnoreCase)");
        set.addType("TReplaceFlags", "set of TReplaceFlag");

        declareStandardClasses(set, classes);

        for (auto table :
             {stringRoutines(), conversionRoutines(), mathRoutines(), dateTimeRoutines(), fileRoutines()}) {
            for (const NativeEntry& e : table)
                set.addRoutine(e.heading, Binding{e.fn, nullptr});
        }
        if (!set.errors().empty())
            throw std::logic_error("standard library: " + set.errors().front());
    }
};

const Library& library()
{
    static const Library lib;
    return lib;
}

}  // namespace

const Scope& standardScope() { return library().set.scope(); }

const StandardClasses& standardClasses() { return library().classes; }

}  // namespace shutterhand::pascal
