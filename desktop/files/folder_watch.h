// SPDX-License-Identifier: GPL-3.0-or-later
// Tells when the entries of one folder change (created, deleted, renamed,
// moved in or out; the folder itself changed, removed or moved). The host's
// notifications come by the thousand in a burst; they are gathered, and
// changed() follows once the folder has been quiet for a quarter of a second,
// or three quarters of a second after the first change while changes go on.
// Names starting with "." are not listed, so their changes are not told.
//
// Where the host cannot watch the folder (the user's limit of watches is
// reached, the file system reports nothing), nothing is told: the lists then
// change by Refresh alone, as they always did.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

namespace crunchwise {

class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject* parent = nullptr);
    ~FolderWatch() override;

    // Watches `folder` (exact, see FileNameCodec) instead of the one before;
    // empty stops watching. Watching the same folder again re-arms a watch
    // that the host dropped (the folder removed, its volume unmounted).
    void watch(const QString& folder);

    // True while the host reports the folder's changes.
    bool watching() const { return watch_ >= 0; }

signals:
    // The folder changed; several changes are told once.
    void changed();

private:
    void readEvents();
    void stop();
    void tell();

    int inotify_ = -1;
    int watch_ = -1;
    QString folder_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer quiet_;
    QTimer longest_;
};

} // namespace crunchwise
