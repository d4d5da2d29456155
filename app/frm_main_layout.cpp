// SPDX-License-Identifier: GPL-3.0-or-later
// The folder and file lists of the main window, laid out around the splitter
// that the user drags between them.
#include "app/frm_main.h"

#include "common/twips.h"
#include "errors/error_trap.h"
#include "failures/runtime_error.h"
#include "widgets/dir_list_box.h"
#include "widgets/file_list_box.h"
#include "widgets/splitter_handle.h"

#include <QEvent>
#include <QGroupBox>

using namespace crunchwise;

namespace {
// SizeControls(x): the folder list ends 300 twips left of x, the handle
// starts 260 left of it and the file list 220 left of it.
constexpr float kDirEnd = 300.0f;
constexpr float kHandleOffset = 260.0f;
constexpr float kFileStart = 220.0f;
constexpr float kFileGap = 150.0f;
constexpr float kDragMargin = 500.0f;
// The designed left edge of the handle, where the divider first stands.
constexpr int kHandleLeft = 3330;
constexpr int kInvalidPropertyValue = 380;

float twipsOf(int pixels) {
    return float(Twips::fromPixels(pixels));
}

void setLeft(QWidget* control, float left) {
    control->move(Twips::toPixels(left), control->y());
}

void setTop(QWidget* control, float top) {
    control->move(control->x(), Twips::toPixels(top));
}

void setWidth(QWidget* control, float width) {
    if (width < 0)
        raiseRuntimeError(kInvalidPropertyValue);
    control->resize(Twips::toPixels(width), control->height());
}

void setHeight(QWidget* control, float height) {
    if (height < 0)
        raiseRuntimeError(kInvalidPropertyValue);
    control->resize(control->width(), Twips::toPixels(height));
}
} // namespace

void frmMain::createSplitter() {
    auto* handle = new SplitterHandle(fSource);
    handle->setObjectName(QStringLiteral("imgSplitter"));
    handle->setGeometry(Twips::rect(kHandleLeft, 435, 150, 1125));
    connect(handle, &SplitterHandle::mouseDown, this, &frmMain::imgSplitter_MouseDown);
    connect(handle, &SplitterHandle::mouseMove, this, &frmMain::imgSplitter_MouseMove);
    connect(handle, &SplitterHandle::mouseUp, this, &frmMain::imgSplitter_MouseUp);
    imgSplitter = handle;

    picSplitter = new QWidget(fSource);
    picSplitter->setObjectName(QStringLiteral("picSplitter"));
    picSplitter->setAutoFillBackground(true);
    QPalette palette = picSplitter->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    picSplitter->setPalette(palette);
    picSplitter->setGeometry(Twips::rect(3345, 390, 72, 1155));
    picSplitter->hide();
    // The handle is grabbed over the edge of the file list.
    imgSplitter->raise();
    splitterPosition_ = kHandleLeft;
}

// A layout step that fails (a negative width) is skipped; the others still run.
void frmMain::SizeControls(float x) {
    ErrorTrap trap(QString(), ErrorTrap::Mode::Ignore);
    trap.step([&] { setWidth(Dir1, x - kDirEnd); });
    trap.step([&] { setLeft(imgSplitter, x - kHandleOffset); });
    trap.step([&] { setLeft(File1, x - kFileStart); });
    trap.step(
        [&] { setWidth(File1, twipsOf(fSource->width()) - (twipsOf(Dir1->width()) + kFileGap)); });
    trap.step([&] { setTop(imgSplitter, twipsOf(Dir1->y())); });
    trap.step([&] { setHeight(imgSplitter, twipsOf(File1->height())); });
    // Later layouts start from this position, not from the handle that was
    // moved away from it, so the divider stays put.
    splitterPosition_ = x;
}

void frmMain::Form_Resize() {
    ErrorTrap trap(tag("Form_Resize"));
    trap.step([&] { SizeControls(splitterPosition_); });
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void frmMain::imgSplitter_MouseDown(int /*Button*/, int /*Shift*/, float X, float /*Y*/) {
    ErrorTrap trap(tag("imgSplitter_MouseDown"));
    trap.step([&] {
        const int halfWidth = qRound(twipsOf(imgSplitter->width())) / 2;
        picSplitter->setGeometry(imgSplitter->x(), imgSplitter->y(), Twips::toPixels(halfWidth),
                                 Twips::toPixels(twipsOf(imgSplitter->height()) - 20));
        barLeft_ = splitterPosition_ - kHandleOffset;
    });
    trap.step([&] {
        picSplitter->show();
        picSplitter->raise();
    });
    trap.step([&] {
        pressX_ = X;
        SplitterDragging = true;
    });
}

// The bar keeps the distance between the mouse and the handle's edge that
// the press found, so it does not jump when the drag starts.
void frmMain::imgSplitter_MouseMove(int /*Button*/, int /*Shift*/, float X, float /*Y*/) {
    if (!SplitterDragging)
        return;
    ErrorTrap trap(tag("imgSplitter_MouseMove"));
    float pos = 0;
    trap.step([&] { pos = X - pressX_ + (splitterPosition_ - kHandleOffset); });
    const float upper = twipsOf(frameGeometry().width()) - kDragMargin;
    if (trap.test([&] { return pos < kDragMargin; }))
        trap.step([&] { barLeft_ = kDragMargin; });
    else if (trap.test([&] { return pos > upper; }))
        trap.step([&] { barLeft_ = upper; });
    else
        trap.step([&] { barLeft_ = pos; });
    trap.step([&] { setLeft(picSplitter, barLeft_); });
}

void frmMain::imgSplitter_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
    if (!SplitterDragging)
        return;
    ErrorTrap trap(tag("imgSplitter_MouseUp"));
    // The handle's edge goes where the bar was released.
    trap.step([&] { SizeControls(barLeft_ + kHandleOffset); });
    trap.step([&] { picSplitter->hide(); });
    trap.step([&] { SplitterDragging = false; });
}
