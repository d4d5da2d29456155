// SPDX-License-Identifier: GPL-3.0-or-later
// The file names of one folder as a flat list model: one QString per file in
// a vector, so folders of 100,000 files cost a few megabytes, not an item
// object per file.
#pragma once

#include <QAbstractListModel>
#include <QString>

#include <vector>

namespace crunchwise {

class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    // Replaces the whole list (a model reset). Never fails.
    void setNames(std::vector<QString> names);

    // The names in list order, exact (see FileNameCodec).
    const std::vector<QString>& names() const { return names_; }

    // The row of `name`; -1 if it is not listed.
    int rowOf(const QString& name) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<QString> names_;
};

} // namespace crunchwise
