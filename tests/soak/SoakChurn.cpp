#include "tests/soak/SoakChurn.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "fontdata/item/FontItem.h"
#include "tests/search/SearchFonts.h"

namespace QuillmarkSoak {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<CDesign> ValidDesigns(const fs::path& dataFolder, int built) {
    std::vector<CDesign> designs;
    // Real fonts, with outlines the preview and the map draw; two of them
    // share a name, so that only the file's stamp tells them apart.
    for (const char* file :
         {"twin-a.ttf", "twin-b.ttf", "twin-bold.ttf", "symbol.ttf", "arrows.ttf"}) {
        const fs::path path = dataFolder / file;
        const Quillmark::CFontItem item(path, {}, nullptr);
        if (item.GetStatus() != Quillmark::CFontItem::Loaded) {
            std::fprintf(stderr, "soak: %s cannot be read\n", path.c_str());
            continue;
        }
        designs.push_back({ReadBytes(path), item.GetName(), file});
    }
    // Fonts of names, maps and classifications only, of different sizes.
    for (int i = 0; i < built; ++i) {
        QuillmarkTest::CSearchFont font;
        const std::string number = std::to_string(i);
        font.fullName = u"Soak Design " + std::u16string(number.begin(), number.end());
        font.panose = {2, static_cast<std::uint8_t>(i % 15), 5, 3, 0, 0, 0, 0, 0, 0};
        font.characters = {{0x20, static_cast<std::uint16_t>(0x40 + 7 * i)}};
        designs.push_back({QuillmarkTest::SearchFontBytes(font), font.fullName, "built " + number});
    }
    return designs;
}

CChurn::CChurn(fs::path folder, std::vector<CDesign> designs, CChurnPlan plan)
    : m_folder(std::move(folder)),
      m_designs(std::move(designs)),
      m_plan(plan),
      m_random(plan.seed) {}

CChurn::~CChurn() {
    Stop();
}

void CChurn::Seed(std::size_t files) {
    for (std::size_t i = 0; i < files; ++i) {
        Create();
    }
    const std::lock_guard lock(m_mutex);
    m_counts = {};  // the seed is not churn
}

void CChurn::Start() {
    m_running = true;
    m_thread = std::thread([this] { Run(); });
}

void CChurn::Stop() {
    m_stop = true;
    Wait();
}

void CChurn::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

CChurnCounts CChurn::Counts() const {
    const std::lock_guard lock(m_mutex);
    return m_counts;
}

std::map<std::string, const CDesign*> CChurn::Expected() const {
    const std::lock_guard lock(m_mutex);
    return m_expected;
}

std::set<std::string> CChurn::Rewritten() const {
    const std::lock_guard lock(m_mutex);
    return m_rewritten;
}

void CChurn::Run() {
    const Clock::time_point start = Clock::now();
    const auto step = std::chrono::duration<double, std::milli>(m_plan.span) /
                      static_cast<double>(std::max<std::size_t>(m_plan.operations, 1));
    for (std::size_t i = 0; i < m_plan.operations && !m_stop; ++i) {
        const auto due =
            start + std::chrono::duration_cast<Clock::duration>(step * static_cast<double>(i));
        std::this_thread::sleep_until(due);
        const auto late = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - due);
        {
            const std::lock_guard lock(m_mutex);
            m_counts.behind = std::max(m_counts.behind, late);
        }
        Operate(i);
        ++m_done;
    }
    m_running = false;
}

// Near the target the three kinds come about equally often (rewrites a
// little more); far from it the folder is brought back.
void CChurn::Operate(std::size_t) {
    const std::size_t files = m_files.load();
    const std::size_t target = std::max<std::size_t>(m_plan.target, 2);
    if (files < target / 2 || files == 0) {
        Create();
    } else if (files > target + target / 2) {
        Delete();
    } else {
        const int pick = std::uniform_int_distribution<int>(0, 99)(m_random);
        // Bias towards the target: below it creates win, above it deletes.
        const int lean = files < target ? 5 : (files > target ? -5 : 0);
        if (pick < 30 + lean) {
            Create();
        } else if (pick < 70) {
            Rewrite();
        } else {
            Delete();
        }
    }
}

std::string CChurn::NewName() {
    // Now and then a name deleted before comes back, as a user copies a
    // font in again.
    if (!m_deletedNames.empty() && std::uniform_int_distribution<int>(0, 9)(m_random) == 0) {
        const std::size_t at =
            std::uniform_int_distribution<std::size_t>(0, m_deletedNames.size() - 1)(m_random);
        std::string name = m_deletedNames[at];
        m_deletedNames.erase(m_deletedNames.begin() + static_cast<std::ptrdiff_t>(at));
        const std::lock_guard lock(m_mutex);
        ++m_counts.reusedNames;
        return name;
    }
    // Both extensions, in either case, as folders hold them.
    static const char* const kExtensions[] = {".ttf", ".otf", ".TTF", ".ttf"};
    char name[32];
    std::snprintf(name, sizeof name, "soak-%06zu%s", m_nextName, kExtensions[m_nextName % 4]);
    ++m_nextName;
    return name;
}

// Bytes that are no font, made anew each time and not kept: the end reads
// such a file for itself.
CDesign CChurn::Corrupt() {
    CDesign design;
    const int kind = std::uniform_int_distribution<int>(0, 3)(m_random);
    if (kind == 0) {
        design.label = "empty";  // no bytes at all
    } else if (kind == 1) {
        // A real font cut short: its directory promises tables past the end.
        const CDesign& whole = m_designs[std::uniform_int_distribution<std::size_t>(
            0, m_designs.size() - 1)(m_random)];
        const std::size_t cut =
            std::uniform_int_distribution<std::size_t>(1, whole.bytes.size() / 2)(m_random);
        design.bytes.assign(whole.bytes.begin(),
                            whole.bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        design.label = "truncated " + whole.label;
    } else {
        design.bytes.resize(std::uniform_int_distribution<std::size_t>(1, 4096)(m_random));
        for (auto& byte : design.bytes) {
            byte = static_cast<std::uint8_t>(m_random());
        }
        design.label = "noise";
    }
    return design;
}

const CDesign& CChurn::OtherValidDesign(const CDesign* current) {
    for (;;) {
        const CDesign& design = m_designs[std::uniform_int_distribution<std::size_t>(
            0, m_designs.size() - 1)(m_random)];
        // A different design under another name: the row must change.
        if (current == nullptr || design.name != current->name) {
            return design;
        }
    }
}

// Written in place: the file keeps its inode, and is empty for a moment
// between the truncation and the write, as an editor's save leaves it.
bool CChurn::Write(const std::string& name, const CDesign& design) {
    std::ofstream out(m_folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(design.bytes.data()),
              static_cast<std::streamsize>(design.bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

void CChurn::Create() {
    const bool corrupt = std::uniform_int_distribution<int>(0, 99)(m_random) < 12;
    const CDesign noFont = corrupt ? Corrupt() : CDesign{};
    const CDesign& design = corrupt ? noFont : OtherValidDesign(nullptr);
    std::string name = NewName();
    const bool written = Write(name, design);
    const std::lock_guard lock(m_mutex);
    ++m_counts.creates;
    if (corrupt) {
        ++m_counts.corruptCreates;
    }
    if (!written) {
        ++m_counts.failures;
    }
    m_expected[name] = corrupt ? nullptr : &design;
    m_rewritten.erase(name);  // a name that comes back is new
    m_files = m_expected.size();
}

std::map<std::string, const CDesign*>::iterator CChurn::AnyExpected() {
    auto it = m_expected.begin();
    std::advance(it,
                 std::uniform_int_distribution<std::size_t>(0, m_expected.size() - 1)(m_random));
    return it;
}

void CChurn::Rewrite() {
    std::string name;
    const CDesign* current = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        if (m_expected.empty()) {
            return;
        }
        const auto it = AnyExpected();
        name = it->first;
        current = it->second;
    }
    const CDesign& design = OtherValidDesign(current);
    const bool written = Write(name, design);
    const std::lock_guard lock(m_mutex);
    ++m_counts.rewrites;
    if (!written) {
        ++m_counts.failures;
    }
    m_expected[name] = &design;
    m_rewritten.insert(name);
}

void CChurn::Delete() {
    std::string name;
    {
        const std::lock_guard lock(m_mutex);
        if (m_expected.empty()) {
            return;
        }
        name = AnyExpected()->first;
    }
    std::error_code error;
    const bool removed = fs::remove(m_folder / name, error);
    m_deletedNames.push_back(name);
    const std::lock_guard lock(m_mutex);
    ++m_counts.deletes;
    if (!removed) {
        ++m_counts.failures;
    }
    m_expected.erase(name);
    m_rewritten.erase(name);
    m_files = m_expected.size();
}

}  // namespace QuillmarkSoak
