// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/file_list_model.h"

#include "common/file_name_codec.h"
#include "desktop/files/file_url.h"
#include "desktop/files/folder_reader.h"

#include <QMimeData>

#include <algorithm>
#include <utility>

namespace crunchwise {

namespace {
// Each run costs the views and the selection a pass over what they hold.
constexpr int kMostRuns = 256;

// A walk over both listings: < 0 entry `i` of `old` went, > 0 `j` of `next` came.
int orderAt(const FolderListing& old, qsizetype i, const FolderListing& next, qsizetype j) {
    return i == old.size() ? 1 : j == next.size() ? -1 : FolderListing::compare(old, i, next, j);
}
} // namespace

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

void FileListModel::setListing(FolderListing listing) {
    beginResetModel();
    rows_ = std::move(listing);
    next_ = FolderListing();
    taken_ = kept_ = 0;
    endResetModel();
}

FileListModel::Update FileListModel::update(FolderListing listing,
                                            const std::function<void()>& beforeReset) {
    if (listing.sameNames(rows_))
        return Update::None;
    if (runsUpTo(listing, kMostRuns + 1) > kMostRuns) {
        beforeReset();
        setListing(std::move(listing));
        return Update::Reset;
    }
    next_ = std::move(listing);
    applyRuns();
    rows_ = std::move(next_);
    next_ = FolderListing();
    taken_ = kept_ = 0;
    return Update::Rows;
}

// Both listings are in the same order, so one walk over them finds the runs
// of names that went away and that came.
int FileListModel::runsUpTo(const FolderListing& next, int most) const {
    qsizetype i = 0, j = 0;
    int runs = 0;
    int last = 0; // -1 removing, 1 inserting, 0 neither
    while ((i < rows_.size() || j < next.size()) && runs < most) {
        const int order = orderAt(rows_, i, next, j);
        if (order != last && order != 0)
            ++runs;
        last = order;
        i += order <= 0;
        j += order >= 0;
    }
    return runs;
}

void FileListModel::applyRuns() {
    const auto order = [&](qsizetype i, qsizetype j) {
        return orderAt(rows_, i, next_, j);
    };
    while (kept_ < rows_.size() || taken_ < next_.size()) {
        const int first = order(kept_, taken_);
        qsizetype count = 1;
        if (first == 0) {
            ++kept_, ++taken_;
            continue;
        }
        if (first < 0) {
            while (kept_ + count < rows_.size() && order(kept_ + count, taken_) < 0)
                ++count;
            beginRemoveRows({}, int(taken_), int(taken_ + count - 1));
            kept_ += count;
            endRemoveRows();
        } else {
            while (taken_ + count < next_.size() && order(kept_, taken_ + count) > 0)
                ++count;
            beginInsertRows({}, int(taken_), int(taken_ + count - 1));
            taken_ += count;
            endInsertRows();
        }
    }
}

std::pair<const FolderListing*, qsizetype> FileListModel::locate(int row) const {
    if (row < taken_)
        return {&next_, row};
    return {&rows_, kept_ + (row - taken_)};
}

QString FileListModel::name(int row) const {
    const auto [listing, at] = locate(row);
    return listing->name(at);
}

QByteArrayView FileListModel::bytes(int row) const {
    const auto [listing, at] = locate(row);
    return listing->bytes(at);
}

int FileListModel::rowOf(QByteArrayView name) const {
    return int(rows_.indexOf(name));
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(taken_ + rows_.size() - kept_);
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::DisplayRole)
        return {};
    return FileNameCodec::displayText(name(index.row()));
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    return QAbstractListModel::flags(index) |
           (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
}

QStringList FileListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* FileListModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const QModelIndex& index : indexes)
        if (index.isValid() && index.row() < rowCount())
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows)
        paths.append(FolderReader::join(folder_, name(row)));
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), FileUrl::uriList(paths));
    return data;
}

} // namespace crunchwise
