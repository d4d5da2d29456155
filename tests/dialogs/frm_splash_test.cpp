// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: what it shows, what closes it and what its links open.
#include "dialogs/frm_splash.h"
#include "tests/support/window_session.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

// Stands in for the browser and the mail program.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestFrmSplash : public QObject {
    Q_OBJECT

    UrlCatcher catcher_;

private slots:
    void initTestCase() {
        for (const char* scheme : {"https", "mailto"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher_, "open");
    }
    void cleanupTestCase() {
        for (const char* scheme : {"https", "mailto"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    void init() { catcher_.opened.clear(); }

    void aboutShowsTheVersionEachTimeItOpens() {
        WindowSession session(QStringList{});
        session.window->show();
        QStringList versions;
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, [&] {
                auto* about = qobject_cast<frmSplash*>(QApplication::activeModalWidget());
                QVERIFY(about);
                versions << about->Label2->text();
                QTest::keyClick(about, Qt::Key_Space);
            });
            session.window->mabout->trigger();
        }
        QCOMPARE(versions, QStringList({"version 1.61", "version 1.61"}));
    }

    void clicks_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("opens");
        const int left = Qt::LeftButton;
        QTest::newRow("background") << "frmSplash" << left << true << QString();
        QTest::newRow("icon frame") << "Picture1" << left << true << QString();
        QTest::newRow("icon") << "Image1" << left << true << QString();
        QTest::newRow("name") << "Label1" << left << true << QString();
        QTest::newRow("version") << "Label2" << left << true << QString();
        QTest::newRow("copyright") << "Label3" << left << true << QString();
        QTest::newRow("web link") << "imgWebURL" << left << true << "https://crunchwise.org/";
        QTest::newRow("mail link")
            << "imgEmailURL" << left << true << "mailto:support@crunchwise.org";
        QTest::newRow("background, right button")
            << "frmSplash" << int(Qt::RightButton) << false << QString();
        QTest::newRow("name, middle button")
            << "Label1" << int(Qt::MiddleButton) << false << QString();
        QTest::newRow("web link, right button")
            << "imgWebURL" << int(Qt::RightButton) << false << QString();
    }
    void clicks() {
        QFETCH(QString, control);
        QFETCH(int, button);
        QFETCH(bool, closes);
        QFETCH(QString, opens);
        frmSplash about;
        about.show();
        QWidget* target =
            control == about.objectName() ? &about : about.findChild<QWidget*>(control);
        QTest::mouseClick(target, Qt::MouseButton(button), {},
                          target == &about ? QPoint(5, 5) : QPoint());
        // A link opens its address and leaves the window open.
        QCOMPARE(about.isVisible(), !closes || !opens.isEmpty());
        QCOMPARE(catcher_.opened.size(), opens.isEmpty() ? 0 : 1);
        if (!opens.isEmpty())
            QCOMPARE(catcher_.opened[0], QUrl(opens));
    }

    void keys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("F2, no character") << int(Qt::Key_F2) << false;
        QTest::newRow("Shift alone") << int(Qt::Key_Shift) << false;
    }
    void keys() {
        QFETCH(int, key);
        QFETCH(bool, closes);
        frmSplash about;
        about.show();
        QTest::keyClick(&about, Qt::Key(key));
        QCOMPARE(about.isVisible(), !closes);
    }
};

QTEST_MAIN(TestFrmSplash)
#include "frm_splash_test.moc"
