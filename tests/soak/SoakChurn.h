#pragma once

// The soak's churn: a thread that creates, writes over in place and deletes
// font files in one folder, spread evenly over a span of time, while the
// window shows that folder. It keeps the number of files near a target and
// remembers what each file holds, so that the end can say what every row
// must show.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace QuillmarkSoak {

// One font a file may hold: its bytes and the name the program must show
// for it (empty for bytes that are no font: corrupt or empty files).
struct CDesign {
    std::vector<std::uint8_t> bytes;
    std::u16string name;
    std::string label;  // for the report: "twin-b.ttf", "built 17", "corrupt"
};

// The valid designs: the test data's real fonts (`dataFolder`) and
// `built` fonts made field by field, each with a name of its own.
std::vector<CDesign> ValidDesigns(const std::filesystem::path& dataFolder, int built);

struct CChurnPlan {
    std::chrono::milliseconds span{300'000};
    std::size_t operations = 10'000;
    std::size_t target = 150;  // files the folder holds, about
    unsigned seed = 1;
};

struct CChurnCounts {
    std::size_t creates = 0;
    std::size_t corruptCreates = 0;  // of the creates: bytes that are no font, or none
    std::size_t reusedNames = 0;     // of the creates: a name deleted before
    std::size_t rewrites = 0;
    std::size_t deletes = 0;
    std::size_t failures = 0;             // writes or deletes the file system refused
    std::chrono::milliseconds behind{0};  // the latest an operation ran after its time
};

class CChurn {
public:
    CChurn(std::filesystem::path folder, std::vector<CDesign> designs, CChurnPlan plan);
    ~CChurn();
    CChurn(const CChurn&) = delete;
    CChurn& operator=(const CChurn&) = delete;

    // Writes `files` fonts before the window opens (not counted as operations).
    void Seed(std::size_t files);
    void Start();
    // Stops early (the operations left are not done) and waits.
    void Stop();
    void Wait();
    bool Running() const { return m_running.load(); }

    std::size_t Done() const { return m_done.load(); }
    std::size_t Files() const { return m_files.load(); }
    // After Wait: the counts, and what each file holds (file name -> design;
    // nullptr for bytes that are no font).
    CChurnCounts Counts() const;
    std::map<std::string, const CDesign*> Expected() const;
    // The names written over at least once that are there now.
    std::set<std::string> Rewritten() const;

private:
    void Run();
    void Operate(std::size_t index);
    void Create();
    void Rewrite();
    void Delete();
    // A file the churn wrote, chosen at random; m_mutex held, m_expected not empty.
    std::map<std::string, const CDesign*>::iterator AnyExpected();
    bool Write(const std::string& name, const CDesign& design);
    const CDesign& OtherValidDesign(const CDesign* current);
    CDesign Corrupt();
    std::string NewName();

    const std::filesystem::path m_folder;
    const std::vector<CDesign> m_designs;
    const CChurnPlan m_plan;
    std::mt19937 m_random;
    std::size_t m_nextName = 0;
    std::vector<std::string> m_deletedNames;

    mutable std::mutex m_mutex;
    // Guarded by m_mutex (the thread writes, the end reads):
    std::map<std::string, const CDesign*> m_expected;
    std::set<std::string> m_rewritten;
    CChurnCounts m_counts;

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
    std::atomic<std::size_t> m_done{0};
    std::atomic<std::size_t> m_files{0};
    std::thread m_thread;
};

}  // namespace QuillmarkSoak
