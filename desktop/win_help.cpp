// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/win_help.h"

#include "desktop/help_popup.h"
#include "desktop/help_viewer.h"

#include <QPointer>

namespace crunchwise {

namespace {
QPointer<HelpViewer>& viewer() {
    static QPointer<HelpViewer> instance;
    return instance;
}

QPointer<HelpPopup>& popup() {
    static QPointer<HelpPopup> instance;
    return instance;
}

void popUp(const HelpTopic& topic) {
    delete popup();
    popup() = new HelpPopup(topic);
    popup()->popUpAtCursor();
}

// Without a topic to show, the pop-up says why, as the viewer does.
bool showPopup(const QString& helpFile, int context) {
    HelpFile help;
    const QString title = QStringLiteral("Help");
    if (!help.load(helpFile)) {
        popUp({title, 0, {}, help.errorString()});
        return false;
    }
    const int topic = help.topicForContext(context);
    if (topic < 0) {
        popUp({title,
               0,
               {},
               QStringLiteral("The help file %1 has no topic for this part of the window "
                              "(context %2).")
                   .arg(helpFile)
                   .arg(context)});
        return false;
    }
    popUp(help.topics()[topic]);
    return true;
}

HelpViewer* showViewer(const QString& helpFile, bool& loaded) {
    if (!viewer())
        viewer() = new HelpViewer;
    loaded = viewer()->fileName() == helpFile && !viewer()->helpFile().topics().isEmpty();
    if (!loaded)
        loaded = viewer()->openContents(helpFile);
    viewer()->show();
    viewer()->raise();
    viewer()->activateWindow();
    return viewer();
}
} // namespace

bool WinHelpA(QWidget* /*owner*/, const QString& helpFile, unsigned command, std::uintptr_t data) {
    bool loaded = false;
    switch (command) {
    case HELP_QUIT:
        if (viewer())
            viewer()->close();
        return true;
    case HELP_FINDER:
        showViewer(helpFile, loaded)->showContents();
        return loaded;
    case HELP_CONTEXT: {
        HelpViewer* shown = showViewer(helpFile, loaded);
        const int topic = shown->helpFile().topicForContext(static_cast<int>(data));
        shown->showTopic(topic < 0 ? 0 : topic);
        return loaded && topic >= 0;
    }
    case HELP_PARTIALKEY: {
        const char* keyword = reinterpret_cast<const char*>(data);
        showViewer(helpFile, loaded)
            ->showIndex(keyword ? QString::fromLocal8Bit(keyword) : QString());
        return loaded;
    }
    case HELP_CONTEXTPOPUP:
        return showPopup(helpFile, static_cast<int>(data));
    default:
        return false;
    }
}

HelpPopup* activeHelpPopup() {
    return popup();
}

HelpViewer* activeHelpViewer() {
    return viewer();
}

} // namespace crunchwise
