// SPDX-License-Identifier: GPL-3.0-or-later
// The file names of one folder as a flat list model over a FolderListing:
// the names' bytes in one block, decoded only for the rows shown, so that
// folders of 100,000 files cost a few megabytes and no string per file.
#pragma once

#include "desktop/files/folder_listing.h"

#include <QAbstractListModel>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace crunchwise {

class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    // Replaces the whole list (a model reset). Never fails.
    void setListing(FolderListing listing);
    // The folder of the names, for the addresses that a drag offers.
    void setFolder(const QString& folder) { folder_ = folder; }

    enum class Update {
        None,  // the same names: nothing changed
        Rows,  // runs of rows removed and inserted
        Reset, // too many runs: one model reset
    };
    // Brings the list to `listing`: each run of names that went away is
    // removed and each run that came is inserted, so that views keep the
    // selection, the current row and the scroll position of the names that
    // stay. Beyond a few hundred runs one reset is cheaper; `beforeReset`
    // runs just before it, while the old rows are still there. Never fails.
    Update update(FolderListing listing, const std::function<void()>& beforeReset);

    // The name of `row`, exact (see FileNameCodec), and its bytes.
    QString name(int row) const;
    QByteArrayView bytes(int row) const;

    // The row of the name with the exact bytes `name`; -1 if it is not listed.
    int rowOf(QByteArrayView name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Dragged rows go as the files' addresses (text/uri-list, exact bytes),
    // to copy only: a file manager that moved them would take them away.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    int runsUpTo(const FolderListing& next, int most) const;
    void applyRuns();
    // Row `row` in the listing it lies in while an update runs: rows before
    // taken_ come from next_, the others from rows_ from kept_ on.
    std::pair<const FolderListing*, qsizetype> locate(int row) const;

    QString folder_;
    FolderListing rows_;
    FolderListing next_;
    qsizetype taken_ = 0; // rows of next_ in place
    qsizetype kept_ = 0;  // rows of rows_ passed
};

} // namespace crunchwise
