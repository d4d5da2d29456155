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

    // A left click anywhere closes the window, but a link opens its address
    // and leaves it open; other buttons do nothing.
    void clicks() {
        const int left = Qt::LeftButton;
        const struct {
            const char* control;
            int button;
            const char* opens;
        } rows[] = {
            {"frmSplash", left, ""},
            {"Picture1", left, ""},
            {"Image1", left, ""},
            {"Label1", left, ""},
            {"Label2", left, ""},
            {"Label3", left, ""},
            {"imgWebURL", left, "https://crunchwise.org/"},
            {"imgEmailURL", left, "mailto:support@crunchwise.org"},
            {"frmSplash", Qt::RightButton, ""},
            {"Label1", Qt::MiddleButton, ""},
            {"imgWebURL", Qt::RightButton, ""},
        };
        for (const auto& row : rows) {
            catcher_.opened.clear();
            frmSplash about;
            about.show();
            QWidget* target = about.objectName() == QLatin1String(row.control)
                                  ? &about
                                  : about.findChild<QWidget*>(QLatin1String(row.control));
            QTest::mouseClick(target, Qt::MouseButton(row.button), {},
                              target == &about ? QPoint(5, 5) : QPoint());
            const bool link = *row.opens != '\0';
            QVERIFY2(about.isVisible() == (row.button != left || link), row.control);
            QCOMPARE(catcher_.opened, link ? QList<QUrl>{QUrl(row.opens)} : QList<QUrl>{});
        }
    }

    // A key that types a character closes it, others do not.
    void keys() {
        for (const auto& [key, closes] : {std::pair{Qt::Key_A, true},
                                          {Qt::Key_Return, true},
                                          {Qt::Key_Escape, true},
                                          {Qt::Key_F2, false},
                                          {Qt::Key_Shift, false}}) {
            frmSplash about;
            about.show();
            QTest::keyClick(&about, key);
            QVERIFY2(about.isVisible() == !closes, qPrintable(QString::number(key)));
        }
    }
};

QTEST_MAIN(TestFrmSplash)
#include "frm_splash_test.moc"
