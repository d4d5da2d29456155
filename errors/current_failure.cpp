// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/current_failure.h"

#include <filesystem>
#include <new>
#include <optional>

namespace crunchwise::CurrentFailure {

namespace {
std::optional<RuntimeError>& current() {
    static std::optional<RuntimeError> failure;
    return failure;
}
} // namespace

void set(const RuntimeError& failure) {
    current() = failure;
}

void clear() {
    current().reset();
}

int number() {
    return current() ? current()->number() : 0;
}

std::string description() {
    return current() ? current()->description() : std::string();
}

std::vector<FileFailure> files() {
    return current() ? current()->files() : std::vector<FileFailure>();
}

RuntimeError fromException(std::exception_ptr thrown) {
    try {
        std::rethrow_exception(thrown);
    } catch (const RuntimeError& failure) {
        return failure;
    } catch (const std::bad_alloc&) {
        return RuntimeError(ErrorNumber::OutOfMemory);
    } catch (const std::filesystem::filesystem_error& failure) {
        return RuntimeError(runtimeErrorFromErrno(failure.code().value()));
    } catch (const std::exception& failure) {
        return RuntimeError(ErrorNumber::InternalError, failure.what());
    } catch (...) {
        return RuntimeError(ErrorNumber::InternalError);
    }
}

} // namespace crunchwise::CurrentFailure
