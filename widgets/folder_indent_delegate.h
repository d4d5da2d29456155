// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the folder list's entries indented by their depth in the tree.
#pragma once

#include <QStyledItemDelegate>

namespace crunchwise {

class FolderIndentDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The item data role that holds an entry's depth (0 for "/").
    static constexpr int DepthRole = Qt::UserRole + 1;

    explicit FolderIndentDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int indentOf(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

} // namespace crunchwise
