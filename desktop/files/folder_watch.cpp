// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/files/folder_watch.h"

#include "common/file_name_codec.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

namespace crunchwise {

namespace {

constexpr int kQuietMs = 250;
constexpr int kLongestMs = 750;
constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                             IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// True if `event` may change what the lists show.
bool tells(const inotify_event& event, int watch) {
    if (event.mask & IN_Q_OVERFLOW)
        return true; // events were lost: read the folder to be sure
    if (event.wd != watch)
        return false; // a folder watched before
    if (event.len == 0)
        return true; // the folder itself
    // An entry's attributes do not change its name; hidden names are not listed.
    return !(event.mask & IN_ATTRIB) && event.name[0] != '.';
}

} // namespace

FolderWatch::FolderWatch(QObject* parent) : QObject(parent) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    longest_.setSingleShot(true);
    longest_.setInterval(kLongestMs);
    connect(&quiet_, &QTimer::timeout, this, &FolderWatch::tell);
    connect(&longest_, &QTimer::timeout, this, &FolderWatch::tell);
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0)
        return;
    notifier_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
}

FolderWatch::~FolderWatch() {
    if (inotify_ >= 0)
        ::close(inotify_);
}

void FolderWatch::watch(const QString& folder) {
    if (folder == folder_ && watch_ >= 0)
        return;
    stop();
    folder_ = folder;
    if (inotify_ < 0 || folder.isEmpty())
        return;
    // Fails when the user's watches are used up or the folder went away.
    watch_ = ::inotify_add_watch(inotify_, FileNameCodec::encode(folder).constData(), kEvents);
}

void FolderWatch::stop() {
    if (watch_ >= 0)
        ::inotify_rm_watch(inotify_, watch_);
    watch_ = -1;
    quiet_.stop();
    longest_.stop();
}

void FolderWatch::readEvents() {
    alignas(inotify_event) char buffer[64 * 1024];
    bool changed = false;
    for (;;) {
        const ssize_t got = ::read(inotify_, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            changed = changed || tells(*event, watch_);
            if (event->wd == watch_ && (event->mask & IN_IGNORED))
                watch_ = -1; // the host dropped the watch
        }
    }
    if (!changed)
        return;
    quiet_.start();
    if (!longest_.isActive())
        longest_.start();
}

void FolderWatch::tell() {
    quiet_.stop();
    longest_.stop();
    emit changed();
}

} // namespace crunchwise
