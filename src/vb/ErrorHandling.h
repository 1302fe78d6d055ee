// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <exception>
#include <functional>
#include <utility>

#include "vb/VbError.h"

// VB-style error handling. No exception leaves a procedure: a procedure makes
// a Handler with its label ("Zip_Now of Modul Vaultora_Sub"), keeps its step
// number in Erl, and uses one of the shapes below:
//
//   resume next:            h.Next(10, [&]{ ... });   h.Next(20, [&]{ ... });
//   resume at a fixed step: if (!h.Try([&]{ ...steps... })) { /* fixed step */ }
//   leave with a default:   return h.Guard(false, [&]{ ...; return true; });
//   skip silently:          vb::Quiet([&]{ ... });
//
// A handled error is passed to the error sink (the error log installs itself
// there at start-up) with the label, Erl, number and description.
namespace vb {

// VB's Err object: the error being handled.
struct ErrInfo {
    int Number = 0;
    QString Description;
    explicit operator bool() const { return Number != 0; }
};

// The error inside an exception_ptr: a VbError keeps its number; out of
// memory is 7; anything else is 5 with its text.
ErrInfo ErrFrom(std::exception_ptr e);

struct ErrorReport {
    QString appName;  // empty: the program's product name
    QString label;
    int erl = 0;
    ErrInfo err;
};

using ErrorSink = std::function<void(const ErrorReport&)>;
void SetErrorSink(ErrorSink sink);   // an empty sink writes to stderr
void ReportError(const ErrorReport& report) noexcept;

class Handler {
public:
    explicit Handler(QString label, QString appName = {})
        : label_(std::move(label)), appName_(std::move(appName)) {}

    int Erl = 0;   // the step number reported with an error
    ErrInfo Err;   // the last error handled (Number 0 when none)

    const QString& label() const { return label_; }

    // Resume next: run one statement; on an error log it and go on.
    // Returns true when the statement ran without an error.
    template <class F>
    bool Next(int erl, F&& f) noexcept {
        Erl = erl;
        return Try(std::forward<F>(f));
    }

    // Run a block; on an error log it and return false (the caller then goes
    // on at its fixed step).
    template <class F>
    bool Try(F&& f) noexcept {
        try {
            f();
            return true;
        } catch (...) {
            Log(std::current_exception());
            return false;
        }
    }

    // Leave with a default: the body's result, or `fallback` after logging.
    template <class R, class F>
    R Guard(R fallback, F&& body) noexcept {
        try {
            return body();
        } catch (...) {
            Log(std::current_exception());
            return fallback;
        }
    }

    // Log an error caught by the procedure itself.
    void Log(std::exception_ptr e) noexcept;
    void Log(const ErrInfo& err) noexcept;

private:
    QString label_;
    QString appName_;
};

// Skip silently: run the block, ignore any error.
template <class F>
bool Quiet(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace vb
