#pragma once

#include <string>
#include <utility>
#include <variant>

namespace quillmar::service {

// Why an operation failed: one short line for the log or the service's error output.
struct Failure {
    std::string reason;
};

// A value, or the failure that kept it from being made.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : m_outcome(std::in_place_index<1>, std::move(failure)) {}

    bool Ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return Ok(); }
    // Only when Ok().
    const T& Value() const& { return std::get<0>(m_outcome); }
    T&& Value() && { return std::get<0>(std::move(m_outcome)); }
    // Empty when Ok().
    const std::string& Reason() const {
        static const std::string kNone;
        return Ok() ? kNone : std::get<1>(m_outcome).reason;
    }

    friend bool operator==(const Result& result, const T& value) {
        return result.Ok() && result.Value() == value;
    }

private:
    std::variant<T, Failure> m_outcome;
};

// Done, or the failure that kept it from being done.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : m_reason(std::move(failure.reason)), m_ok(false) {}

    bool Ok() const { return m_ok; }
    explicit operator bool() const { return Ok(); }
    // Empty when Ok().
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_reason;
    bool m_ok = true;
};

using Status = Result<void>;

}  // namespace quillmar::service
