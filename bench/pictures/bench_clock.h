#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace bench {

// The median wall time of `runs` calls of `work`, in milliseconds.
template <typename Work> double medianMs(int runs, Work&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Medians like medianMs for several pieces of work, run in turns (A, B, C, A, B, C, ...) so that a
// change of load on a shared machine hits all of them alike.
inline std::vector<double> interleavedMediansMs(int runs, const std::vector<std::function<void()>>& works)
{
    std::vector<std::vector<double>> times(works.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t w = 0; w < works.size(); ++w) {
            const auto start = std::chrono::steady_clock::now();
            works[w]();
            times[w].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (auto& t : times) {
        std::sort(t.begin(), t.end());
        medians.push_back(t[t.size() / 2]);
    }
    return medians;
}

// Runs a shell command `runs` times; the median in milliseconds, or -1 when it fails.
inline double commandMs(int runs, const std::string& command)
{
    bool failed = false;
    const double ms = medianMs(runs, [&] { failed |= std::system(command.c_str()) != 0; });
    return failed ? -1 : ms;
}

// How much of the machine other processes took while a benchmark ran, from the kernel's CPU counters
// and this process's own CPU time: on a shared machine, figures (above all the multi-core ones) mean
// little when this is high.
class MachineLoad {
public:
    MachineLoad()
        : m_start(sample())
    { }
    void print() const
    {
        const Sample end = sample();
        const double total = end.total - m_start.total;
        const double others = total - (end.idle - m_start.idle) - (end.own - m_start.own);
        if (total > 0)
            std::printf("  (other processes used %.0f %% of the machine's CPU time meanwhile)\n",
                        std::max(0.0, 100.0 * others / total));
    }

private:
    struct Sample {
        double total = 0, idle = 0, own = 0;  // in clock ticks
    };
    static Sample sample()
    {
        Sample s;
        if (FILE* stat = std::fopen("/proc/stat", "r")) {
            unsigned long long v[8] = {};
            if (std::fscanf(stat, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &v[0], &v[1], &v[2], &v[3], &v[4],
                            &v[5], &v[6], &v[7])
                == 8) {
                for (unsigned long long x : v)
                    s.total += double(x);
                s.idle = double(v[3] + v[4]);
            }
            std::fclose(stat);
        }
        rusage usage = {};
        getrusage(RUSAGE_SELF, &usage);
        rusage children = {};
        getrusage(RUSAGE_CHILDREN, &children);
        const double ticks = double(sysconf(_SC_CLK_TCK));
        auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
        s.own = ticks
            * (seconds(usage.ru_utime) + seconds(usage.ru_stime) + seconds(children.ru_utime)
               + seconds(children.ru_stime));
        return s;
    }
    Sample m_start;
};

inline void line(const char* what, double value, const char* unit, const char* ratio = "")
{
    std::printf("  %-58s %10.2f %s  %s\n", what, value, unit, ratio);
}

}  // namespace bench
