// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary files that are removed should the process be interrupted
// (SIGINT, SIGTERM, SIGHUP: Ctrl+C, kill, the end of a session), before the
// process ends by that signal as it would have. Every ReplacingFile
// registers its temporary here; the handlers are set up once per process by
// installHandlers(). Registration is safe from any thread.
#pragma once

#include <csignal>
#include <filesystem>

namespace crunchwise {

class InterruptCleanup {
public:
    // Sets up the signal handlers (once; later calls do nothing). SIGXFSZ is
    // ignored, so that a write past the file-size limit fails with EFBIG and
    // is reported instead of ending the process silently. Signals that the
    // process was started ignoring stay ignored.
    static void installHandlers();

    // The interrupts: SIGINT, SIGTERM and SIGHUP.
    static sigset_t interrupts();

    // Sets `handler` for the interrupts, which are held while it runs; an
    // interrupt that the process was started ignoring stays ignored.
    static void catchInterrupts(void (*handler)(int));

    // Holds the interrupts back in this thread for its lifetime: a file
    // created and then registered meanwhile is never left behind by an
    // interrupt that falls between the two. A held interrupt is handled
    // when the object goes.
    class Held {
    public:
        Held();
        ~Held();
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        sigset_t previous_;
    };

    InterruptCleanup() = default;
    // Registers `temporary` for removal. When every place is taken (more than
    // a few dozen files open at once), the file is not registered.
    explicit InterruptCleanup(const std::filesystem::path& temporary);
    ~InterruptCleanup() { release(); }
    InterruptCleanup(InterruptCleanup&& other) noexcept;
    InterruptCleanup& operator=(InterruptCleanup&& other) noexcept;
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // Forgets the file: it was moved into place or removed.
    void release();

private:
    int slot_ = -1;
};

} // namespace crunchwise
