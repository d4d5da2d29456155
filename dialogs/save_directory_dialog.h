// SPDX-License-Identifier: GPL-3.0-or-later
// What the two destination dialogs share: a fixed tool window with a drive
// list, a folder list, Save and Cancel. It opens on the main window's drive
// and folder and hands the chosen folder back through Globals::SavePath.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace crunchwise {

class DirListBox;
class DriveListBox;

class SaveDirectoryDialog : public QDialog {
    Q_OBJECT
public:
    DriveListBox* Drive1 = nullptr;
    DirListBox* Dir1 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label1 = nullptr;

protected:
    // The designed client height and the tops of Save and Cancel, in twips.
    struct Layout {
        int clientHeight;
        int saveTop;
        int cancelTop;
    };
    // `mainDrive` and `mainDir` are the main window's lists, read when the
    // dialog is first shown.
    SaveDirectoryDialog(QWidget* parent, const char* name, Layout layout,
                        const DriveListBox* mainDrive, const DirListBox* mainDir);

    // The failure tag of `procedure`: the dialog's name joined to it.
    QString tag(const char* procedure) const;

    // Places the lists on the main window's drive and folder; called once,
    // when the dialog is first shown, so that a repaint never undoes the
    // user's choice.
    virtual void Form_Paint();
    virtual void cmdSave_Click() = 0;
    void cmdCancel_Click();
    // Hands back the folder list's folder with a separator appended.
    void saveFolder();

    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void Drive1_Change();
    void Dir1_KeyPress(int& KeyAscii);

    const DriveListBox* mainDrive_;
    const DirListBox* mainDir_;
    bool placed_ = false;
};

} // namespace crunchwise
