#pragma once

// One copy of Quillmark a user at a time. The first copy listens on a local
// socket in the abstract namespace (it vanishes with the process, so no
// crash leaves it behind); a second copy finds it there, asks it to come
// forward with the path of its command line (a font file opened from the
// file manager), and exits; the first copy shows that path.
//
// The socket is served from a thread of its own: the first copy answers at
// once, also while its start is still loading the stores or showing a
// question. A second copy never runs while the name is held, answered or
// not: two copies would each save over the other's stores.

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>

class QLocalServer;

namespace Quillmark {

class CSingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claimed {
        Alone,            // this is the only copy; it now listens
        OtherCopyRuns,    // the other copy answered and was asked to come forward
        OtherCopySilent,  // another copy holds the name but did not answer
    };

    CSingleInstance();
    ~CSingleInstance() override;

    // The socket's name: the program's instance text, the user id, and a
    // digest of the home folder (so that separate homes are separate users).
    static QString ServerName();

    // `onActivate` runs on this object's thread when a second copy asks
    // this one to come forward, with the path the second copy was given
    // (its bytes; empty for none). `path` is what this copy passes on when
    // another copy runs.
    Claimed Claim(std::function<void(const QByteArray& path)> onActivate,
                  const QByteArray& path = {});

private:
    // True when listening; else `nameTaken` tells whether another copy
    // holds the name.
    bool Listen(bool& nameTaken);

    QThread m_thread;
    QLocalServer* m_server = nullptr;  // lives in m_thread
    std::function<void(const QByteArray&)> m_onActivate;
};

}  // namespace Quillmark
