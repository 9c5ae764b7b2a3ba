// Writes the bytes as the settings file and reads every option from it, as
// the program does at start; then saves the options, as at exit, and reads
// them again. Whatever the file held must read without a crash, and a save
// that says it succeeded must read back as what was saved; one that says it
// failed must have left the file as it was.

#include <fcntl.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/Key.h"
#include "core/PathText.h"
#include "core/ProgramOptions.h"
#include "fuzz/FuzzSupport.h"

using namespace Quillmark;

namespace {

// QSettings keeps what it read of a file and reads it again only when its
// size or time changed: each write gets a time of its own.
void Touch(const QString& file) {
    static long long seconds = 1000000000;
    const struct timespec times[2] = {{++seconds, 0}, {seconds, 0}};
    if (::utimensat(AT_FDCWD, FilePath(file).c_str(), times, 0) != 0) {
        std::abort();
    }
}

bool SameOptions(const CProgramOptions& a, const CProgramOptions& b) {
#define X(kind, name, def)                   \
    if (!(a.Get##name() == b.Get##name())) { \
        return false;                        \
    }
#include "core/OptionsTable.inc"
#undef X
    return true;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The program reads its options under a QApplication, and a value may
    // name any type Qt can stream, pictures and cursors among them, which
    // only a GUI application can make.
    FuzzSupport::StartQt(FuzzSupport::Application::Widgets);
    const QString folder = PathText(FuzzSupport::PrivateFolder());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    // Never the user's own settings.
    if (!CKey::FileName().startsWith(folder + '/') ||
        !QDir().mkpath(QFileInfo(CKey::FileName()).path())) {
        std::fprintf(stderr, "the settings file is not in %s\n", qUtf8Printable(folder));
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString file = CKey::FileName();
    if (!FuzzSupport::WriteFile(FilePath(file), data, size)) {
        std::abort();
    }
    Touch(file);
    CProgramOptions first;
    first.Load();
    // Kept in the same file outside the options, read by the main window.
    const QByteArray layout = CProgramOptions::GetMainRebarLayout();
    const bool saved = first.Save();
    if (!saved) {
        const QByteArray before(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
        if (FileBytes(file) != before) {
            std::abort();  // said to be kept as it was, and it was not
        }
        return 0;
    }
    Touch(file);
    CProgramOptions second;
    if (!second.Load() || !SameOptions(first, second) ||
        CProgramOptions::GetMainRebarLayout() != layout) {
        std::abort();
    }
    return 0;
}
