#pragma once

// The failures that the data layer throws and the windows show as a
// message: a code and a text. CFileNotFoundException (code 1) carries the
// path of the file that could not be used.

#include <string>

namespace Quillmark {

class CQuillmarkException {
public:
    CQuillmarkException(int code, std::string text) : m_code(code), m_text(std::move(text)) {}
    virtual ~CQuillmarkException() = default;
    CQuillmarkException(const CQuillmarkException&) = default;
    CQuillmarkException& operator=(const CQuillmarkException&) = default;

    int GetCode() const { return m_code; }
    const std::string& GetText() const { return m_text; }

private:
    int m_code;
    std::string m_text;
};

class CFileNotFoundException : public CQuillmarkException {
public:
    static constexpr int kCode = 1;
    // `path`: the file's full path, as the file system holds it.
    explicit CFileNotFoundException(std::string path)
        : CQuillmarkException(kCode, std::move(path)) {}
    const std::string& GetPath() const { return GetText(); }
};

}  // namespace Quillmark
