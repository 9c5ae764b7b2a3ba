#include "fontdata/opentype/internal/TextPool.h"

#include <array>
#include <functional>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace Varnholt::OpenTypeFontData {

namespace {

struct CPool {
    std::mutex mutex;
    // Guarded by mutex: each key views the text its entry points to.
    std::unordered_map<std::u16string_view, std::weak_ptr<const std::u16string>> texts;
};

// The pool is split by the texts' hashes, each part with its own lock: a
// search reads fonts on one thread while it lets go of others on another,
// and with one lock they would wait for each other at every text.
constexpr std::size_t kParts = 64;

// Never destroyed: a text may be let go of after static destruction began.
std::array<CPool, kParts>& Pools() {
    static auto* const pools = new std::array<CPool, kParts>;
    return *pools;
}

CPool& Pool(std::u16string_view text) {
    return Pools()[(std::hash<std::u16string_view>{}(text) >> 8) % kParts];
}

// Takes the text's entry out of the pool unless another text of the same
// content has replaced it, then deletes it.
void Forget(const std::u16string* text) {
    CPool& pool = Pool(*text);
    {
        std::lock_guard lock(pool.mutex);
        const auto it = pool.texts.find(*text);
        if (it != pool.texts.end() && it->first.data() == text->data()) {
            pool.texts.erase(it);
        }
    }
    delete text;
}

}  // namespace

CSharedText ShareText(std::u16string_view text) {
    CPool& pool = Pool(text);
    {
        // Most texts are pooled already: found without making a copy.
        std::lock_guard lock(pool.mutex);
        const auto it = pool.texts.find(text);
        if (it != pool.texts.end()) {
            if (CSharedText pooled = it->second.lock()) {
                return pooled;
            }
        }
    }
    CSharedText mine(new std::u16string(text), &Forget);
    std::lock_guard lock(pool.mutex);
    const auto it = pool.texts.find(*mine);
    if (it != pool.texts.end()) {
        if (CSharedText pooled = it->second.lock()) {
            return pooled;  // `mine` goes after the lock is let go of
        }
        // Its last holder is letting go of it: this one takes its place.
        pool.texts.erase(it);
    }
    pool.texts.emplace(*mine, mine);
    return mine;
}

std::size_t PooledTextCount() {
    std::size_t count = 0;
    for (CPool& pool : Pools()) {
        std::lock_guard lock(pool.mutex);
        count += pool.texts.size();
    }
    return count;
}

}  // namespace Varnholt::OpenTypeFontData
