#pragma once

// How the font manager tells the layers above about its items, without
// knowing them: the application forwards these calls to its signals hub.
// Every call is made on the thread that made the manager, with no lock of
// the manager held, so an observer may call the manager back.

namespace Quillmark {

class CFontItem;

class IFontManagerObserver {
public:
    virtual ~IFontManagerObserver() = default;
    // Every holder of `item` is asked to let it go; returns how many did.
    virtual int ReleaseFont(const CFontItem* item) = 0;
    // The last use of `item` was given back; it is about to be dropped.
    virtual void FontDiscarded(const CFontItem* item) = 0;
    // The file of `item` left its folder; the item is about to be dropped.
    virtual void FontRemoved(const CFontItem* item) = 0;
};

}  // namespace Quillmark
