#pragma once

// What an operation that may fail gives back, across every layer: a value
// (or nothing) on success, else a failure that says why. Failure is expected
// here (a file gone, a full disk, a name taken), so it is a value, never an
// exception. Qt-free, so that the layers without Qt use it too; the words of
// a failure are UTF-8 and stand in a message as they are.
//
//   CResult<QByteArray> read = ReadSomething(path);
//   if (!read) {
//       Tell(QString::fromStdString(read.Failure().Reason()));
//   }

#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace Quillmark {

class CFailure {
public:
    // The system's code (an errno) or one of the program's named codes, and,
    // where the code alone does not say enough, the words for the user.
    explicit CFailure(std::error_code code, std::string reason = {})
        : m_code(code), m_reason(std::move(reason)) {}
    // Words alone, for a failure no code names (the code is then EIO's).
    explicit CFailure(std::string reason)
        : m_code(std::make_error_code(std::errc::io_error)), m_reason(std::move(reason)) {}

    std::error_code Code() const { return m_code; }
    // The words given, or else the code's own message.
    std::string Reason() const { return m_reason.empty() ? m_code.message() : m_reason; }

private:
    std::error_code m_code;
    std::string m_reason;
};

template <class T = void>
class [[nodiscard]] CResult {
public:
    CResult(T value) : m_state(std::move(value)) {}
    CResult(CFailure failure) : m_state(std::move(failure)) {}

    explicit operator bool() const { return m_state.index() == 0; }
    const T& Value() const& { return std::get<0>(m_state); }
    T&& Value() && { return std::get<0>(std::move(m_state)); }
    // Only on a failure.
    const CFailure& Failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, CFailure> m_state;
};

template <>
class [[nodiscard]] CResult<void> {
public:
    CResult() = default;
    CResult(CFailure failure) : m_failure(std::move(failure)) {}
    // An error code of the system: success when it is empty.
    static CResult FromCode(std::error_code code, std::string reason = {}) {
        return code ? CResult(CFailure(code, std::move(reason))) : CResult();
    }

    explicit operator bool() const { return !m_failure.has_value(); }
    // Only on a failure.
    const CFailure& Failure() const { return *m_failure; }

private:
    std::optional<CFailure> m_failure;
};

}  // namespace Quillmark
