// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/whats_this_context.h"

#include "common/app_info.h"
#include "desktop/win_help.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWhatsThis>
#include <QWidget>

namespace crunchwise {

namespace {
const char* const kProperty = "WhatsThisHelpID";
}

WhatsThisContext* WhatsThisContext::instance() {
    static WhatsThisContext* filter = new WhatsThisContext(QCoreApplication::instance());
    return filter;
}

void WhatsThisContext::set(QWidget* control, int number) {
    control->setProperty(kProperty, number);
    control->installEventFilter(instance());
    for (QWidget* inner : control->findChildren<QWidget*>())
        inner->installEventFilter(instance());
}

int WhatsThisContext::of(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        const int number = w->property(kProperty).toInt();
        if (number > 0)
            return number;
    }
    return 0;
}

bool WhatsThisContext::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::WhatsThis && event->type() != QEvent::QueryWhatsThis)
        return false;
    auto* control = qobject_cast<QWidget*>(watched);
    const int number = control ? of(control) : 0;
    if (number == 0)
        return false;
    event->accept();
    if (event->type() != QEvent::WhatsThis)
        return true;
    // The mode ends with the click, as it does when Qt shows a text itself.
    QWhatsThis::leaveWhatsThisMode();
    WinHelpA(control->window(), AppInfo::helpFile(), HELP_CONTEXTPOPUP, std::uintptr_t(number));
    return true;
}

} // namespace crunchwise
