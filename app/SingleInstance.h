#pragma once

// One copy of Quillmark a user at a time. The first copy listens on a local
// socket in the abstract namespace (it vanishes with the process, so no
// crash leaves it behind); a second copy finds it there, asks it to come
// forward, and exits. The second copy's command line is not passed on.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

namespace Quillmark {

class CSingleInstance : public QObject {
    Q_OBJECT

public:
    // The socket's name: the program's instance text, the user id, and a
    // digest of the home folder (so that separate homes are separate users).
    static QString ServerName();

    // True when this is the only copy (it then listens); false when another
    // copy answered and was asked to come forward.
    bool Claim(std::function<void()> onActivate);

private:
    QLocalServer m_server;
    std::function<void()> m_onActivate;
};

}  // namespace Quillmark
