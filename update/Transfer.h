#pragma once

// One GET of the online update, run to its end in a local event loop on the
// calling thread, with the rules every request follows: https only, never
// from https down to http, the TLS trust of update/TlsTrust.h, a 200 answer
// without a network or TLS error, a bound on its length, exactly the
// announced length, and a floor on its speed.

#include <QByteArray>
#include <QUrl>
#include <QtGlobal>
#include <functional>

class QNetworkReply;

namespace Quillmark {

enum class TransferEnd {
    Done,
    Failed,      // no answer, an error, a bad status or length, or refused by `begin`
    Canceled,    // the cancel test said so
    SinkFailed,  // the sink refused a piece
    TooSlow,     // slower than the floor over a whole window
};

struct TransferRules {
    bool requireLength = false;  // the answer must announce its length
    qint64 maxLength = -1;       // no more than this many bytes; -1: no limit
    // Fewer bytes than this a second, averaged over a window of this many
    // milliseconds, stop the transfer; 0 for either: no floor.
    qint64 floorBytesPerSecond = 0;
    int floorWindowMilliseconds = 0;
    // A transfer that stalls this long fails.
    int stallMilliseconds = 30000;
};

struct TransferHandlers {
    // Called once the answer's headers are in, with the announced length
    // (-1 when none); false refuses the answer before any of its body.
    std::function<bool(QNetworkReply& reply, qint64 total)> begin;
    // Each piece of the body in order; false stops with SinkFailed.
    std::function<bool(const QByteArray& piece, qint64 received, qint64 total)> sink;
};

// Polled while the transfer runs (also while it stalls); may be empty.
using TransferCancelTest = std::function<bool()>;

TransferEnd Transfer(const QUrl& url, const TransferRules& rules, const TransferCancelTest& cancel,
                     const TransferHandlers& handlers);

}  // namespace Quillmark
