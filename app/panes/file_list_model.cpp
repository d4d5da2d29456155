// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_list_model.h"

#include "platform/files/file_name_codec.h"

#include <algorithm>

namespace crunchwise {

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

void FileListModel::setNames(std::vector<QString> names) {
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

int FileListModel::rowOf(const QString& name) const {
    const auto found = std::find(names_.begin(), names_.end(), name);
    return found == names_.end() ? -1 : int(found - names_.begin());
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(names_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return FileNameCodec::displayText(names_[std::size_t(index.row())]);
    return {};
}

} // namespace crunchwise
