// SPDX-License-Identifier: GPL-3.0-or-later
#include "vb/ErrorHandling.h"

#include <cstdio>
#include <new>

namespace vb {
namespace {
ErrorSink& sink() {
    static ErrorSink s;
    return s;
}
}  // namespace

ErrInfo ErrFrom(std::exception_ptr e) {
    try {
        if (e)
            std::rethrow_exception(e);
    } catch (const VbError& v) {
        return {v.number(), v.description()};
    } catch (const std::bad_alloc&) {
        return {errOutOfMemory, StandardErrorText(errOutOfMemory)};
    } catch (const std::exception& x) {
        return {errInvalidCall, QString::fromLocal8Bit(x.what())};
    } catch (...) {
        return {errInvalidCall, StandardErrorText(errInvalidCall)};
    }
    return {};
}

void SetErrorSink(ErrorSink s) { sink() = std::move(s); }

void ReportError(const ErrorReport& r) noexcept {
    try {
        if (sink()) {
            sink()(r);
            return;
        }
        std::fprintf(stderr, "%s  %d  %d  %s\n", r.label.toLocal8Bit().constData(), r.erl, r.err.Number,
                     r.err.Description.toLocal8Bit().constData());
    } catch (...) {
        // Logging never raises a new error.
    }
}

void Handler::Log(std::exception_ptr e) noexcept { Log(ErrFrom(e)); }

void Handler::Log(const ErrInfo& err) noexcept {
    try {
        Err = err;
        ReportError({appName_, label_, Erl, err});
    } catch (...) {
    }
}

}  // namespace vb
