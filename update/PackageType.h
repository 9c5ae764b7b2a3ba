#pragma once

// The kinds of installer the online update keeps and hands to the desktop:
// the packages a Linux user installs. Quillmark chooses the kind from the
// type the download answer declares (its Content-Type) through a fixed
// table, never from a file name the server gives, so that no server can
// make the desktop run a script, a launcher or a program of another
// platform. An archive is not among them: opening one installs nothing.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace Quillmark {

enum class CPackageType { Deb, Rpm, AppImage, FlatpakRef };

// The kind a Content-Type declares ("application/x-rpm; charset=binary"
// counts as application/x-rpm; letter case does not matter); nothing for
// any other type.
//   application/vnd.debian.binary-package, application/x-debian-package   deb
//   application/x-rpm, application/x-redhat-package-manager               rpm
//   application/vnd.appimage, application/x-iso9660-appimage              AppImage
//   application/vnd.flatpak.ref                                           flatpakref
std::optional<CPackageType> PackageTypeOf(const QByteArray& contentType);

// The extension the installer is saved with ("deb", "rpm", "AppImage",
// "flatpakref"), which tells the desktop what to open it with.
QString PackageExtension(CPackageType type);
// Every extension, in the order of the enum.
const QStringList& PackageExtensions();

}  // namespace Quillmark
