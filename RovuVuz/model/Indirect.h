// An optional value kept on the heap: a node field that most nodes leave empty (a run's
// properties) costs one pointer instead of the value's full size, while copies still copy
// the value.
#pragma once

#include <memory>
#include <utility>

namespace rovuvuz {

template <typename T>
class Indirect {
public:
    Indirect() = default;
    Indirect(T value) : value_(std::make_unique<T>(std::move(value))) {}  // NOLINT: converts like optional
    Indirect(const Indirect& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
    Indirect(Indirect&&) noexcept = default;
    Indirect& operator=(const Indirect& other) {
        if (this != &other) value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
        return *this;
    }
    Indirect& operator=(Indirect&&) noexcept = default;
    Indirect& operator=(T value) {
        value_ = std::make_unique<T>(std::move(value));
        return *this;
    }

    explicit operator bool() const { return value_ != nullptr; }
    bool has_value() const { return value_ != nullptr; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return value_.get(); }
    const T* operator->() const { return value_.get(); }
    void reset() { value_.reset(); }

private:
    std::unique_ptr<T> value_;
};

}  // namespace rovuvuz
