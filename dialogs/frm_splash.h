// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: the program's name, version and copyright, and links to
// the web site and the support address. A click anywhere but on a link, or a
// character key, closes it.
#pragma once

#include <QDialog>

class QFrame;
class QLabel;

class frmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebAddress = "https://crunchwise.org/";
    static constexpr const char* kSupportAddress = "support@crunchwise.org";

    explicit frmSplash(QWidget* parent = nullptr);

    QFrame* Picture1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* imgWebURL = nullptr;
    QLabel* imgEmailURL = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void Form_Load();
    void Form_KeyPress(int KeyAscii);
    void imgWebURL_Click();
    void imgEmailURL_Click();
    // The closing handlers (Form_Click, Picture1_Click, Label1_Click, ...).
    void unloadBy(const QString& handler);
    void open(const char* handler, const std::string& address);
};
