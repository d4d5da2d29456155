// SPDX-License-Identifier: GPL-3.0-or-later
// The keys a desktop user expects: each is the shortcut of the menu item
// whose command it runs, so the menus show it and it is disabled with its
// item while a command runs. The keys that act on files work only while the
// file list has the focus: Delete in the folder list deletes nothing.
#include "app/frm_main.h"

#include "widgets/file_list_box.h"

#include <QAction>
#include <QMenu>

using namespace crunchwise;

namespace {
// `item` answers `keys` only while `list` has the focus.
void giveKeys(QAction* item, QWidget* list, const QList<QKeySequence>& keys) {
    item->setShortcuts(keys);
    item->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(item);
}
} // namespace

void frmMain::createKeys() {
    giveKeys(mnuDelete, File1, {QKeySequence::Delete});
    giveKeys(mnuRename, File1, {QKeySequence(Qt::Key_F2)});
    // Enter alone keeps its meaning in both lists.
    giveKeys(mnuProperties, File1,
             {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)});
    mnuRefresh->setShortcut(QKeySequence(Qt::Key_F5));

    auto* mnuView = qobject_cast<QMenu*>(mnuRefresh->parent());
    mnuSelectAll = new QAction(QStringLiteral("Select &All Files"), mnuView);
    mnuSelectAll->setObjectName(QStringLiteral("mnuSelectAll"));
    mnuSelectAll->setStatusTip(QStringLiteral("Select every file of the file list"));
    const QList<QAction*> items = mnuView->actions();
    mnuView->insertAction(items.value(items.indexOf(mnuRefresh) + 1), mnuSelectAll);
    giveKeys(mnuSelectAll, File1, {QKeySequence::SelectAll});
    connect(mnuSelectAll, &QAction::triggered, this, &frmMain::mnuSelectAll_Click);
}

// As a click in the list, it empties the status.
void frmMain::mnuSelectAll_Click() {
    File1->selectAll();
    File1_Click();
}
