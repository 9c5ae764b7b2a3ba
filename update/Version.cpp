#include "update/Version.h"

#include <boost/regex.hpp>
#include <charconv>
#include <string>

namespace Quillmark {

namespace {

// Compiled once; one match_results a call, so calls may run on any thread.
const boost::regex& VersionPattern() {
    static const boost::regex pattern(R"(([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+))");
    return pattern;
}

}  // namespace

CVersion CVersion::Parse(const QString& text) {
    const std::string bytes = text.toStdString();
    boost::smatch match;
    if (!boost::regex_search(bytes, match, VersionPattern())) {
        return {};
    }
    CVersion version;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& field = match[static_cast<int>(i) + 1];
        const char* first = &*field.first;
        const char* last = first + field.length();
        const auto [end, error] = std::from_chars(first, last, version.fields[i]);
        if (error != std::errc() || end != last) {
            return {};  // too large for a field: not a version we can compare
        }
    }
    return version;
}

QString CVersion::ToString() const {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(fields[0])
        .arg(fields[1])
        .arg(fields[2])
        .arg(fields[3]);
}

}  // namespace Quillmark
