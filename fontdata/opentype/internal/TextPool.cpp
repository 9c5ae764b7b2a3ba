#include "fontdata/opentype/internal/TextPool.h"

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

// Never destroyed: a text may be let go of after static destruction began.
CPool& Pool() {
    static CPool* const pool = new CPool;
    return *pool;
}

// Takes the text's entry out of the pool unless another text of the same
// content has replaced it, then deletes it.
void Forget(const std::u16string* text) {
    CPool& pool = Pool();
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
    CPool& pool = Pool();
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
    CPool& pool = Pool();
    std::lock_guard lock(pool.mutex);
    return pool.texts.size();
}

}  // namespace Varnholt::OpenTypeFontData
