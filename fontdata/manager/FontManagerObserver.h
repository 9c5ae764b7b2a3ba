#pragma once

// How the font manager tells the layers above about its items, without
// knowing them: the application forwards these calls to its signals hub.
// No lock of the manager is held during a call, so an observer may call
// the manager back.

#include <memory>

namespace Quillmark {

class CFontItem;

class IFontManagerObserver {
public:
    virtual ~IFontManagerObserver() = default;
    // Every holder of `item` is asked to let it go; returns how many did.
    // Called on the thread that asked (CanRelease, ReleaseFontsUnder).
    virtual int ReleaseFont(const CFontItem* item) = 0;
    // The last use of `item` was given back and the manager dropped it.
    // Called on whichever thread gave the use back, a worker among them;
    // `item` keeps the record alive for an observer that must pass it on
    // to another thread.
    virtual void FontDiscarded(std::shared_ptr<const CFontItem> item) = 0;
    // The file of `item` left its folder; the manager drops it next.
    // Called on the thread of RemoveFile.
    virtual void FontRemoved(const CFontItem* item) = 0;
};

}  // namespace Quillmark
