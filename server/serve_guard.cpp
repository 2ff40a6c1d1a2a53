#include "server/serve_guard.h"

#include <exception>

namespace qz7 {

void ServeGuard::hide(std::string secret, std::string shown) {
    if (secret.empty()) return;
    std::lock_guard lock(mutex_);
    secrets_.emplace_back(std::move(secret), std::move(shown));
}

void ServeGuard::run(std::string_view where, const std::function<void()>& work) {
    try {
        step(where);
        work();
    } catch (const std::exception& error) {
        take(where, error.what());
    } catch (...) {
        take(where, "исключение неизвестного вида");
    }
}

ThreadGuard ServeGuard::forPart(std::string where) {
    return
        [this, where = std::move(where)](const std::function<void()>& work) { run(where, work); };
}

void ServeGuard::take(std::string_view where, const std::string& what) {
    std::string text;
    {
        std::lock_guard lock(mutex_);
        if (failed_) return;
        failure_ = redacted(std::string(where) + ": " + what);
        text = failure_;
        failed_ = true;
    }
    // Saying it must not fail the guard itself: the failure is kept and ends serve all the same.
    try {
        if (said_) said_(text);
    } catch (...) {
    }
}

void ServeGuard::step(std::string_view name) const {
    if (failPoint_) failPoint_(name);
}

std::string ServeGuard::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

std::string ServeGuard::redacted(std::string text) const {
    for (const auto& [secret, shown] : secrets_)
        for (std::size_t at = text.find(secret); at != std::string::npos;
             at = text.find(secret, at + shown.size()))
            text.replace(at, secret.size(), shown);
    return text;
}

}  // namespace qz7
