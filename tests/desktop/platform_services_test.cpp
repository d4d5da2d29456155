// SPDX-License-Identifier: GPL-3.0-or-later
// Settings and help: stored as text, failures raised, the help file read.
#include "desktop/help_file.h"
#include "desktop/help_viewer.h"
#include "desktop/settings_store.h"
#include "desktop/win_help.h"
#include "failures/runtime_error.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace crunchwise;

class TestPlatformServices : public QObject {
    Q_OBJECT

private slots:
    void settingsRoundTripAsText() {
        QTemporaryDir config;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        const QString app = QStringLiteral("Crunchwise");
        const QString section = QStringLiteral("Settings");
        QCOMPARE(GetSetting(app, section, QStringLiteral("RunOnce"), QStringLiteral("0")),
                 QStringLiteral("0"));
        SaveSetting(app, section, QStringLiteral("RunOnce"), QStringLiteral("1"));
        QCOMPARE(GetSetting(app, section, QStringLiteral("RunOnce")), QStringLiteral("1"));
        QSettings raw(config.path() + QStringLiteral("/Crunchwise/Crunchwise.conf"),
                      QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("Settings/RunOnce")).toString(), QStringLiteral("1"));
    }

    void unwritableSettingsRaise() {
        QTemporaryDir config;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
        QVERIFY(QDir().mkpath(config.path() + QStringLiteral("/Crunchwise/Crunchwise.conf")));
        try {
            SaveSetting(QStringLiteral("Crunchwise"), QStringLiteral("Settings"),
                        QStringLiteral("MainLeft"), QStringLiteral("1000"));
            QFAIL("nothing raised");
        } catch (const RuntimeError& failure) {
            QVERIFY(failure.number() == 70 || failure.number() == 75);
        }
    }

    void helpFileHasEveryContextOfTheWindow() {
        HelpFile help;
        QVERIFY2(help.load(QStringLiteral(CRUNCHWISE_HELP_FILE)), qPrintable(help.errorString()));
        QCOMPARE(help.topics().first().title, QStringLiteral("Contents"));
        for (int context = 60; context <= 120; context += 10)
            QVERIFY2(help.topicForContext(context) >= 0, qPrintable(QString::number(context)));
        QCOMPARE(help.topicForContext(61), -1);
        // The partial key leads first to the topic of the Compress button.
        const QList<int> found = help.topicsForKeyword(QStringLiteral("COMPR"));
        QVERIFY(!found.isEmpty());
        QCOMPARE(help.topics()[found[0]].context, 60);
    }

    void helpViewerOpensOnContentsOrSaysWhyNot() {
        QVERIFY(WinHelpA(nullptr, QStringLiteral(CRUNCHWISE_HELP_FILE), HELP_FINDER, 0));
        HelpViewer* viewer = activeHelpViewer();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->currentTopic(), 0);
        QVERIFY(WinHelpA(nullptr, QStringLiteral(CRUNCHWISE_HELP_FILE), HELP_CONTEXT, 100));
        QCOMPARE(viewer->helpFile().topics()[viewer->currentTopic()].context, 100);

        QVERIFY(!WinHelpA(nullptr, QStringLiteral("/nowhere/compress.hlp"), HELP_FINDER, 0));
        QVERIFY(activeHelpViewer()->findChild<QWidget*>(QStringLiteral("topicText")));
        QVERIFY(WinHelpA(nullptr, QString(), HELP_QUIT, 0));
        QTRY_VERIFY(!activeHelpViewer());
    }
};

QTEST_MAIN(TestPlatformServices)
#include "platform_services_test.moc"
