#pragma once

// The one place through which windows and services tell each other about
// events: one signal a kind of event. Fired and handled on the
// user-interface thread only; a slot runs inside the Fire call.
//
// A receiver that derives from boost::signals2::trackable and connects a
// slot made with boost::bind(&Receiver::Method, this, ...) is disconnected
// when it is destroyed. An exception thrown by a slot leaves the Fire call
// and the remaining slots are not called.

#include <QString>
#include <QStringList>
#include <boost/signals2/signal.hpp>
#include <boost/signals2/trackable.hpp>

#include "fontdata/design/FontDesign.h"

namespace Quillmark {

class CFontItem;

// True when every slot returned true; false with no slot. Stops at the
// first false: later slots are not called.
struct andresults {
    using result_type = bool;
    template <typename InputIterator>
    bool operator()(InputIterator first, InputIterator last) const {
        if (first == last) {
            return false;
        }
        for (; first != last; ++first) {
            if (!*first) {
                return false;
            }
        }
        return true;
    }
};

// The sum of every slot's result; 0 with no slot.
template <typename T>
struct addresults {
    using result_type = T;
    template <typename InputIterator>
    T operator()(InputIterator first, InputIterator last) const {
        T sum = T();
        for (; first != last; ++first) {
            sum += *first;
        }
        return sum;
    }
};

class CQuillmarkSignals {
public:
    using LastValue = boost::signals2::optional_last_value<void>;

#define QM_HUB_SIGNAL(name, result, params, args, combiner)                          \
    using name##Signal = boost::signals2::signal<result params, combiner>;           \
    boost::signals2::connection Connect##name(const name##Signal::slot_type& slot) { \
        return m_##name.connect(slot);                                               \
    }                                                                                \
    name##Signal::result_type Fire##name params {                                    \
        return m_##name args;                                                        \
    }
#include "core/SignalsTable.inc"
#undef QM_HUB_SIGNAL

    virtual ~CQuillmarkSignals() = default;

private:
#define QM_HUB_SIGNAL(name, result, params, args, combiner) name##Signal m_##name;
#include "core/SignalsTable.inc"
#undef QM_HUB_SIGNAL
};

}  // namespace Quillmark
