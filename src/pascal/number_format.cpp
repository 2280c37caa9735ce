#include "pascal/builtins.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace shutterhand::pascal {

namespace {

// A real number as decimal digits: value = 0.d1 d2 d3 ... * 10^exp, as Delphi's FloatToDecimal
// gives it. FloatToStr shows fifteen significant digits, like Delphi and Free Pascal for Double
// values. Rounding to a number of places works on the exact value of the double instead (so 1.005,
// which is 1.00499999... in binary, gives 1.00) and sends true ties away from zero (2.5 gives 3).
struct Decimal {
    bool negative = false;
    std::string digits;  // no trailing zeros; empty for zero
    int exp = 0;
};

Decimal toDecimal(double value, int precision = 15)
{
    Decimal d;
    d.negative = std::signbit(value) && value != 0;
    if (value == 0)
        return d;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, std::fabs(value));
    const char* e = std::strchr(buf, 'e');
    for (const char* p = buf; p != e; ++p) {
        if (*p >= '0' && *p <= '9')
            d.digits += *p;
    }
    d.exp = std::atoi(e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// The exact value, to as many digits as rounding can need.
Decimal exactDecimal(double value) { return toDecimal(value, 40); }

// Rounds to `decimals` places after the decimal point (may be negative), half away from zero.
void roundDecimal(Decimal& d, int decimals)
{
    int keep = d.exp + decimals;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (static_cast<std::size_t>(keep) >= d.digits.size())
        return;
    bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
    d.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exp;
        } else {
            ++d.digits[static_cast<std::size_t>(i)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// Rounds to `count` significant digits, half away from zero.
void roundSignificant(Decimal& d, int count) { roundDecimal(d, count - d.exp); }

char digitAt(const Decimal& d, int position)
{
    // position 0 is the first digit after the point's left side start: digit index = exp + position
    if (position < 0 || static_cast<std::size_t>(position) >= d.digits.size())
        return '0';
    return d.digits[static_cast<std::size_t>(position)];
}

std::string integerDigits(const Decimal& d)
{
    if (d.digits.empty() || d.exp <= 0)
        return "0";
    std::string out;
    for (int i = 0; i < d.exp; ++i)
        out += digitAt(d, i);
    return out;
}

std::string fractionDigits(const Decimal& d, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += d.digits.empty() ? '0' : digitAt(d, d.exp + i);
    return out;
}

std::string groupThousands(const std::string& digits)
{
    std::string out;
    int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        out += digits[static_cast<std::size_t>(i)];
        int left = n - i - 1;
        if (left > 0 && left % 3 == 0)
            out += ',';
    }
    return out;
}

std::string special(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

}  // namespace

std::string formatGeneral(double value, int precision)
{
    if (!std::isfinite(value))
        return special(value);
    if (precision <= 0 || precision > 15)
        precision = 15;
    Decimal d = toDecimal(value, precision);
    if (d.digits.empty())
        return "0";
    std::string out = d.negative ? "-" : "";
    if (d.exp > precision || d.exp < -3) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out += d.digits.substr(1);
        }
        out += 'E';
        out += std::to_string(d.exp - 1);
        return out;
    }
    if (d.exp <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exp), '0');
        out += d.digits;
        return out;
    }
    for (int i = 0; i < d.exp; ++i)
        out += digitAt(d, i);
    if (static_cast<int>(d.digits.size()) > d.exp) {
        out += '.';
        out += d.digits.substr(static_cast<std::size_t>(d.exp));
    }
    return out;
}

std::string formatFixed(double value, int decimals, bool thousands)
{
    if (!std::isfinite(value))
        return special(value);
    if (decimals < 0)
        decimals = 0;
    if (decimals > 18)
        decimals = 18;
    Decimal d = exactDecimal(value);
    // Beyond fifteen digits the integer part is exact: take it from the binary value.
    if (std::fabs(value) >= 1e15) {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
        std::string s = buf;
        std::size_t point = s.find('.');
        std::string intPart = s.substr(0, point);
        std::string out = value < 0 ? "-" : "";
        out += thousands ? groupThousands(intPart) : intPart;
        if (point != std::string::npos)
            out += s.substr(point);
        return out;
    }
    roundDecimal(d, decimals);
    std::string out = d.negative && !d.digits.empty() ? "-" : "";
    std::string intPart = integerDigits(d);
    out += thousands ? groupThousands(intPart) : intPart;
    if (decimals > 0) {
        out += '.';
        out += fractionDigits(d, decimals);
    }
    return out;
}

std::string formatScientific(double value, int precision, int minExponentDigits, bool plusSign)
{
    if (!std::isfinite(value))
        return special(value);
    if (precision <= 0 || precision > 15)
        precision = 15;
    Decimal d = exactDecimal(value);
    roundSignificant(d, precision);
    std::string out = d.negative && !d.digits.empty() ? "-" : "";
    out += d.digits.empty() ? '0' : d.digits[0];
    if (precision > 1) {
        out += '.';
        for (int i = 1; i < precision; ++i)
            out += digitAt(d, i);
    }
    int exponent = d.digits.empty() ? 0 : d.exp - 1;
    out += 'E';
    if (exponent < 0)
        out += '-';
    else if (plusSign)
        out += '+';
    std::string digits = std::to_string(std::abs(exponent));
    if (static_cast<int>(digits.size()) < minExponentDigits)
        out.append(static_cast<std::size_t>(minExponentDigits) - digits.size(), '0');
    out += digits;
    return out;
}

namespace {

struct Section {
    std::string_view text;
};

// Splits a FormatFloat pattern at ';' outside quotes.
std::vector<std::string_view> splitSections(std::string_view pattern)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            parts.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(pattern.substr(start));
    return parts;
}

}  // namespace

std::string formatFloatPattern(std::string_view pattern, double value)
{
    if (!std::isfinite(value))
        return special(value);
    std::vector<std::string_view> sections = splitSections(pattern);
    std::string_view section = sections[0];
    bool useNegativeSection = false;
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        section = sections[1];
        useNegativeSection = true;
    } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        section = sections[2];
    }
    if (section.empty())
        return formatGeneral(value, 15);

    // Analyse the section's placeholders.
    int intZeros = 0, intPlaces = 0, fracZeros = 0, fracPlaces = 0, expDigits = 0;
    bool seenPoint = false, thousands = false, scientific = false, expPlus = false;
    char quote = 0;
    for (std::size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (scientific) {
            if (c == '0')
                ++expDigits;
            else
                break;
        } else if (c == '0' || c == '#') {
            if (seenPoint) {
                ++fracPlaces;
                if (c == '0')
                    fracZeros = fracPlaces;
            } else {
                ++intPlaces;
                if (c == '0' || intZeros > 0)
                    ++intZeros;
            }
        } else if (c == '.') {
            seenPoint = true;
        } else if (c == ',') {
            thousands = !seenPoint;
        } else if ((c == 'E' || c == 'e') && i + 1 < section.size()
                   && (section[i + 1] == '+' || section[i + 1] == '-')) {
            scientific = true;
            expPlus = section[i + 1] == '+';
            ++i;
        }
    }

    // Digits of the number.
    double magnitude = std::fabs(value);
    Decimal d = exactDecimal(magnitude);
    std::string intPart, fracPart;
    int exponent = 0;
    if (scientific) {
        int mantissaDigits = intPlaces > 0 ? intPlaces : 1;
        if (!d.digits.empty()) {
            exponent = d.exp - mantissaDigits;
            d.exp = mantissaDigits;
            roundDecimal(d, fracPlaces);
            if (d.exp > mantissaDigits) {
                // Rounding carried into a new digit (9.99 -> 10.0).
                ++exponent;
                d.exp = mantissaDigits;
            }
        }
        intPart
            = d.digits.empty() ? std::string(static_cast<std::size_t>(std::max(intZeros, 1)), '0') : integerDigits(d);
    } else {
        roundDecimal(d, fracPlaces);
        intPart = integerDigits(d);
    }
    fracPart = fractionDigits(d, fracPlaces);
    while (static_cast<int>(fracPart.size()) > fracZeros && !fracPart.empty() && fracPart.back() == '0')
        fracPart.pop_back();
    if (intPart == "0" && intZeros == 0)
        intPart.clear();
    while (static_cast<int>(intPart.size()) < intZeros)
        intPart.insert(intPart.begin(), '0');
    if (thousands)
        intPart = groupThousands(intPart);
    bool isZero = d.digits.empty();

    // Lay the digits into the pattern: the first integer placeholder takes the surplus digits.
    std::string out;
    if (value < 0 && !useNegativeSection && !isZero)
        out += '-';
    int intPlaceIndex = 0;
    int fracIndex = 0;
    std::size_t intUsed = 0;
    int intDigitCount = 0;
    for (char ch : intPart)
        intDigitCount += ch != ',' ? 1 : 0;
    seenPoint = false;
    quote = 0;
    bool wroteNumberEnd = false;
    for (std::size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        if (!seenPoint && (c == '0' || c == '#')) {
            ++intPlaceIndex;
            // Digits due at this placeholder: all surplus at the first, then one each.
            int remainingPlaces = intPlaces - intPlaceIndex;
            while (intUsed < intPart.size()) {
                int digitsLeft = 0;
                for (std::size_t k = intUsed; k < intPart.size(); ++k)
                    digitsLeft += intPart[k] != ',' ? 1 : 0;
                if (digitsLeft <= remainingPlaces)
                    break;
                out += intPart[intUsed++];
            }
            continue;
        }
        if (c == ',')
            continue;
        if (c == '.') {
            seenPoint = true;
            while (intUsed < intPart.size())
                out += intPart[intUsed++];
            if (!fracPart.empty())
                out += '.';
            continue;
        }
        if (seenPoint && (c == '0' || c == '#')) {
            if (fracIndex < static_cast<int>(fracPart.size()))
                out += fracPart[static_cast<std::size_t>(fracIndex)];
            ++fracIndex;
            continue;
        }
        if ((c == 'E' || c == 'e') && i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
            while (intUsed < intPart.size())
                out += intPart[intUsed++];
            out += c;
            if (exponent < 0)
                out += '-';
            else if (expPlus)
                out += '+';
            std::string digits = std::to_string(std::abs(exponent));
            if (static_cast<int>(digits.size()) < expDigits)
                out.append(static_cast<std::size_t>(expDigits) - digits.size(), '0');
            out += digits;
            ++i;
            while (i + 1 < section.size() && section[i + 1] == '0')
                ++i;
            wroteNumberEnd = true;
            continue;
        }
        out += c;
    }
    if (!wroteNumberEnd) {
        while (intUsed < intPart.size())
            out += intPart[intUsed++];
    }
    (void)intDigitCount;
    return out;
}

bool parseReal(std::string_view text, double& value)
{
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    std::string_view s = text.substr(b, e - b);
    if (s.empty())
        return false;
    // Check the shape first: from_chars accepts forms (inf, nan, hex) that StrToFloat does not.
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != s.size())
        return false;
    std::string copy(s[0] == '+' ? s.substr(1) : s);
    if (!copy.empty() && copy.back() == '.')
        copy.pop_back();
    if (copy.size() > 1 && copy[0] == '.')
        copy.insert(copy.begin(), '0');
    if (copy.size() > 2 && copy[0] == '-' && copy[1] == '.')
        copy.insert(copy.begin() + 1, '0');
    auto result = std::from_chars(copy.data(), copy.data() + copy.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return false;
    return result.ec == std::errc() && result.ptr == copy.data() + copy.size() && std::isfinite(value);
}

bool parseInteger(std::string_view text, int64_t min, int64_t max, int64_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::string_view digits = text.substr(i);
    if (digits.empty())
        return false;
    uint64_t magnitude = 0;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (result.ec != std::errc() || result.ptr != digits.data() + digits.size())
        return false;
    if (negative) {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1)
            return false;
        value = static_cast<int64_t>(0 - magnitude);
    } else {
        if (magnitude > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return false;
        value = static_cast<int64_t>(magnitude);
    }
    // Hexadecimal texts may spell a negative 32-bit value ($FFFFFFFF is -1 as an Integer).
    if (base == 16 && !negative && max == std::numeric_limits<int32_t>::max() && value > max && value <= 0xFFFFFFFFLL)
        value = static_cast<int32_t>(static_cast<uint32_t>(value));
    return value >= min && value <= max;
}

}  // namespace shutterhand::pascal
