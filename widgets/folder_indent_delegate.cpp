// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/folder_indent_delegate.h"

#include <QFontMetrics>

namespace crunchwise {

FolderIndentDelegate::FolderIndentDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void FolderIndentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + indentOf(option, index));
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize FolderIndentDelegate::sizeHint(const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index) + QSize(indentOf(option, index), 0);
}

int FolderIndentDelegate::indentOf(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const int step = option.fontMetrics.averageCharWidth() * 2;
    return index.data(DepthRole).toInt() * step;
}

} // namespace crunchwise
