#pragma once

// The soak's memory curve: the process's resident size and the program's
// counts, one sample a second, written to a CSV file as they come.

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace QuillmarkSoak {

// The resident size now, in KiB (0 when /proc cannot tell).
inline long ResidentKib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// A "Name:   123 kB" line of /proc/self/status, in KiB (0 when missing).
inline long StatusKib(const char* name) {
    std::ifstream status("/proc/self/status");
    const std::string prefix = std::string(name) + ':';
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(prefix)) {
            return std::stol(line.substr(prefix.size()));
        }
    }
    return 0;
}

// The largest resident size the process has had, in KiB.
inline long HighWaterKib() {
    return StatusKib("VmHWM");
}

// The bytes malloc has handed out and not had back, in KiB: beside the
// resident size it tells memory in use from memory the heap keeps.
inline long HeapInUseKib() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}
// What the heap holds from the system, in use or free, in KiB.
inline long HeapKeptKib() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<long>((info.arena + info.hblkhd) / 1024);
}

struct CMemorySample {
    double seconds = 0;
    std::string phase;
    long rssKib = 0;
    long anonKib = 0;            // of the resident size: anonymous memory (heaps, stacks)
    long fileKib = 0;            // of the resident size: pages of mapped files
    long heapKib = 0;            // malloc's bytes in use
    long heapKeptKib = 0;        // what malloc holds from the system
    int rows = 0;                // rows of the main list
    std::size_t files = 0;       // font files in the folder, as the churn left them
    std::size_t held = 0;        // font items the manager holds
    std::size_t alive = 0;       // font items that exist
    int results = 0;             // rows of the search results
    int resultsLetGo = 0;        // of those, fonts the manager let go of (none, ever)
    int searches = 0;            // searches ended
    std::size_t operations = 0;  // churn operations done
    long long lagMs = 0;         // how late this sample came
};

struct CMemorySummary {
    long peakKib = 0;
    // The medians of the last samples.
    long endKib = 0;
    long endHeapKib = 0;
    int endResults = 0;
};

class CMemoryCurve {
public:
    explicit CMemoryCurve(const std::string& file) : m_out(file) {
        m_out << "seconds,phase,rss_kib,rss_anon_kib,rss_file_kib,heap_kib,heap_kept_kib,rows,"
                 "files,fonts_held,items_alive,results,"
                 "results_let_go,searches,ops_done,lag_ms\n";
    }
    bool IsOpen() const { return m_out.is_open(); }

    void Add(const CMemorySample& sample) {
        m_samples.push_back(sample);
        char line[256];
        std::snprintf(line, sizeof line,
                      "%.1f,%s,%ld,%ld,%ld,%ld,%ld,%d,%zu,%zu,%zu,%d,%d,%d,%zu,%lld\n",
                      sample.seconds, sample.phase.c_str(), sample.rssKib, sample.anonKib,
                      sample.fileKib, sample.heapKib, sample.heapKeptKib, sample.rows, sample.files,
                      sample.held, sample.alive, sample.results, sample.resultsLetGo,
                      sample.searches, sample.operations, sample.lagMs);
        m_out << line << std::flush;
    }

    // The end is the median of the last `last` samples: one sample taken
    // while a worker's heap had not yet been given back says little.
    CMemorySummary Summary(std::size_t last = 5) const {
        CMemorySummary summary;
        for (const CMemorySample& sample : m_samples) {
            summary.peakKib = std::max(summary.peakKib, sample.rssKib);
        }
        const std::size_t from = m_samples.size() > last ? m_samples.size() - last : 0;
        const auto median = [&](auto field) {
            std::vector<long> tail;
            for (std::size_t i = from; i < m_samples.size(); ++i) {
                tail.push_back(static_cast<long>(field(m_samples[i])));
            }
            std::sort(tail.begin(), tail.end());
            return tail.empty() ? 0L : tail[tail.size() / 2];
        };
        summary.endKib = median([](const CMemorySample& s) { return s.rssKib; });
        summary.endHeapKib = median([](const CMemorySample& s) { return s.heapKib; });
        summary.endResults =
            static_cast<int>(median([](const CMemorySample& s) { return s.results; }));
        return summary;
    }

private:
    std::ofstream m_out;
    std::vector<CMemorySample> m_samples;
};

}  // namespace QuillmarkSoak
