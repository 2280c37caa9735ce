// Date and time routines on TDateTime: days since 1899-12-30, the time of day as the fraction.
// Dates print as ISO 8601 (yyyy-mm-dd) and times as hh:nn:ss, whatever the locale.

#include "pascal/builtins.h"
#include "pascal/stdlib.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace shutterhand::pascal {

namespace {

constexpr int64_t kDaysFrom1899To1970 = 25569;
constexpr double kMsPerDay = 86400000.0;

const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

// Days since 1970-01-01 of a civil date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d)
{
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

struct Parts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, ms = 0, dayOfWeek = 6;
};

Parts decode(double dt)
{
    Parts p;
    if (!std::isfinite(dt) || std::fabs(dt) > 3e6)
        dt = 0;
    double dayPart = std::trunc(dt);
    double frac = std::fabs(dt - dayPart);
    auto msOfDay = static_cast<int64_t>(std::llround(frac * kMsPerDay));
    auto days = static_cast<int64_t>(dayPart);
    if (msOfDay >= static_cast<int64_t>(kMsPerDay)) {
        msOfDay -= static_cast<int64_t>(kMsPerDay);
        days += dt >= 0 ? 1 : -1;
    }
    civilFromDays(days - kDaysFrom1899To1970, p.year, p.month, p.day);
    p.hour = static_cast<int>(msOfDay / 3600000);
    p.minute = static_cast<int>(msOfDay / 60000 % 60);
    p.second = static_cast<int>(msOfDay / 1000 % 60);
    p.ms = static_cast<int>(msOfDay % 1000);
    int64_t dow = (days - kDaysFrom1899To1970 + 4) % 7;  // 1970-01-01 was a Thursday
    p.dayOfWeek = static_cast<int>(dow < 0 ? dow + 7 : dow);
    return p;
}

double nowValue()
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    double date = static_cast<double>(daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)
                                      + kDaysFrom1899To1970);
    double time = (local.tm_hour * 3600000.0 + local.tm_min * 60000.0 + local.tm_sec * 1000.0 + static_cast<double>(ms))
        / kMsPerDay;
    return date + time;
}

std::string two(int v)
{
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

std::string padded(int v, std::size_t width)
{
    std::string s = std::to_string(v);
    while (s.size() < width)
        s.insert(s.begin(), '0');
    return s;
}

std::string formatDateTime(std::string_view fmt, double dt);

constexpr std::string_view kShortDate = "yyyy-mm-dd";
constexpr std::string_view kLongTime = "hh:nn:ss";
constexpr std::string_view kShortTime = "hh:nn";

std::string formatDateTime(std::string_view fmt, double dt)
{
    Parts p = decode(dt);
    std::string out;
    std::string lowerFormat;
    for (char ch : fmt)
        lowerFormat += static_cast<char>(ch | 0x20);
    bool twelveHour = lowerFormat.find("am/pm") != std::string::npos || lowerFormat.find("a/p") != std::string::npos
        || lowerFormat.find("ampm") != std::string::npos;
    bool afterHour = false;
    std::size_t i = 0;
    auto run = [&](char ch) {
        std::size_t n = 0;
        while (i + n < fmt.size() && (fmt[i + n] | 0x20) == ch)
            ++n;
        return n;
    };
    while (i < fmt.size()) {
        char raw = fmt[i];
        char c = static_cast<char>(raw | 0x20);
        if (raw == '"' || raw == '\'') {
            std::size_t end = fmt.find(raw, i + 1);
            if (end == std::string_view::npos)
                end = fmt.size();
            out += fmt.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c == 'a') {
            std::string lower;
            for (char ch : fmt.substr(i, 5))
                lower += static_cast<char>(ch | 0x20);
            if (lower.rfind("am/pm", 0) == 0) {
                out += p.hour < 12 ? "am" : "pm";
                if (fmt[i] == 'A')
                    out = out.substr(0, out.size() - 2) + (p.hour < 12 ? "AM" : "PM");
                i += 5;
                continue;
            }
            if (lower.rfind("a/p", 0) == 0) {
                char ap = p.hour < 12 ? 'a' : 'p';
                out += fmt[i] == 'A' ? static_cast<char>(ap - 32) : ap;
                i += 3;
                continue;
            }
            if (lower.rfind("ampm", 0) == 0) {
                out += p.hour < 12 ? "AM" : "PM";
                i += 4;
                continue;
            }
        }
        switch (c) {
        case 'y': {
            std::size_t n = run('y');
            out += n <= 2 ? two(p.year % 100) : padded(p.year, 4);
            i += n;
            afterHour = false;
            continue;
        }
        case 'm': {
            std::size_t n = run('m');
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(p.minute) : two(p.minute);
            } else if (n == 1) {
                out += std::to_string(p.month);
            } else if (n == 2) {
                out += two(p.month);
            } else if (n == 3) {
                out += kShortMonths[p.month - 1];
            } else {
                out += kLongMonths[p.month - 1];
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'd': {
            std::size_t n = run('d');
            switch (n) {
            case 1:
                out += std::to_string(p.day);
                break;
            case 2:
                out += two(p.day);
                break;
            case 3:
                out += kShortDays[p.dayOfWeek];
                break;
            case 4:
                out += kLongDays[p.dayOfWeek];
                break;
            case 5:
                out += formatDateTime(kShortDate, dt);
                break;
            default:
                out += formatDateTime("dddd, mmmm d, yyyy", dt);
                break;
            }
            i += n;
            afterHour = false;
            continue;
        }
        case 'h': {
            std::size_t n = run('h');
            int h = p.hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += n == 1 ? std::to_string(h) : two(h);
            i += n;
            afterHour = true;
            continue;
        }
        case 'n': {
            std::size_t n = run('n');
            out += n == 1 ? std::to_string(p.minute) : two(p.minute);
            i += n;
            continue;
        }
        case 's': {
            std::size_t n = run('s');
            out += n == 1 ? std::to_string(p.second) : two(p.second);
            i += n;
            continue;
        }
        case 'z': {
            std::size_t n = run('z');
            out += n < 3 ? std::to_string(p.ms) : padded(p.ms, 3);
            i += n;
            continue;
        }
        case 't': {
            std::size_t n = run('t');
            out += formatDateTime(n == 1 ? kShortTime : kLongTime, dt);
            i += n;
            continue;
        }
        case 'c': {
            out += formatDateTime(kShortDate, dt);
            if (p.hour != 0 || p.minute != 0 || p.second != 0 || p.ms != 0) {
                out += ' ';
                out += formatDateTime(kLongTime, dt);
            }
            ++i;
            continue;
        }
        case '/':
            out += '-';
            ++i;
            continue;
        case ':':
            out += ':';
            ++i;
            continue;
        default:
            out += raw;
            ++i;
            continue;
        }
    }
    return out;
}

void now(Vm&, Slot* a, const void*) { a[0].f = nowValue(); }

void date(Vm&, Slot* a, const void*) { a[0].f = std::trunc(nowValue()); }

void time(Vm&, Slot* a, const void*)
{
    double n = nowValue();
    a[0].f = n - std::trunc(n);
}

void formatDateTimeFn(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatDateTime(arg(a, 1), a[2].f)); }

void dateToStr(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatDateTime(kShortDate, a[1].f)); }

void timeToStr(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatDateTime(kLongTime, a[1].f)); }

void dateTimeToStr(Vm& vm, Slot* a, const void*) { returnString(vm, a[0], formatDateTime("c", a[1].f)); }

// function EncodeDate(Year, Month, Day: Word): TDateTime
void encodeDate(Vm& vm, Slot* a, const void*)
{
    int64_t y = a[1].i, m = a[2].i, d = a[3].i;
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(static_cast<int>(y), static_cast<int>(m)))
        vm.failConvert("Invalid argument to date encode");
    a[0].f = static_cast<double>(daysFromCivil(y, m, d) + kDaysFrom1899To1970);
}

// procedure DecodeDate(const DateTime: TDateTime; var Year, Month, Day: Word): [dt][@y][@m][@d]
void decodeDate(Vm&, Slot* a, const void*)
{
    Parts p = decode(a[0].f);
    a[1].ref->i = p.year;
    a[2].ref->i = p.month;
    a[3].ref->i = p.day;
}

void encodeTime(Vm& vm, Slot* a, const void*)
{
    int64_t h = a[1].i, n = a[2].i, s = a[3].i, ms = a[4].i;
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        vm.failConvert("Invalid argument to time encode");
    a[0].f = (static_cast<double>(h) * 3600000.0 + static_cast<double>(n) * 60000.0 + static_cast<double>(s) * 1000.0
              + static_cast<double>(ms))
        / kMsPerDay;
}

void decodeTime(Vm&, Slot* a, const void*)
{
    Parts p = decode(a[0].f);
    a[1].ref->i = p.hour;
    a[2].ref->i = p.minute;
    a[3].ref->i = p.second;
    a[4].ref->i = p.ms;
}

void dayOfWeek(Vm&, Slot* a, const void*) { a[0].i = decode(a[1].f).dayOfWeek + 1; }

void incDay(Vm&, Slot* a, const void*) { a[0].f = a[1].f + static_cast<double>(a[2].i); }

constexpr NativeEntry kRoutines[] = {
    {"function Now: TDateTime", now},
    {"function Date: TDateTime", date},
    {"function Time: TDateTime", time},
    {"function FormatDateTime(const Format: string; DateTime: TDateTime): string", formatDateTimeFn},
    {"function DateToStr(DateTime: TDateTime): string", dateToStr},
    {"function TimeToStr(DateTime: TDateTime): string", timeToStr},
    {"function DateTimeToStr(DateTime: TDateTime): string", dateTimeToStr},
    {"function EncodeDate(Year, Month, Day: Word): TDateTime", encodeDate},
    {"procedure DecodeDate(const DateTime: TDateTime; var Year, Month, Day: Word)", decodeDate},
    {"function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime", encodeTime},
    {"procedure DecodeTime(const DateTime: TDateTime; var Hour, Min, Sec, MSec: Word)", decodeTime},
    {"function DayOfWeek(DateTime: TDateTime): Integer", dayOfWeek},
    {"function IncDay(DateTime: TDateTime; NumberOfDays: Integer = 1): TDateTime", incDay},
};

}  // namespace

std::span<const NativeEntry> dateTimeRoutines() { return kRoutines; }

}  // namespace shutterhand::pascal
