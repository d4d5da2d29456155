// SPDX-License-Identifier: GPL-3.0-or-later
// The single running copy: where its socket lives, copies started together,
// what a request may do, and a hand-off whose Enter opens a modal box.
#include "common/file_name_codec.h"
#include "desktop/single_instance.h"

#include <QDialog>
#include <QLineEdit>
#include <QLocalSocket>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <barrier>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace crunchwise;

namespace {
const QString kTitle = QStringLiteral("CrunchwiseTest");

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A window whose Enter opens a modal box, as Properties does. While the box
// is open the asking copy gives up; the box closes once the running copy has
// let go of that connection.
class BoxOnEnter : public QWidget {
public:
    const QObject* running = nullptr;
    std::unique_ptr<QLocalSocket> asking;
    int boxes = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Return)
            return;
        ++boxes;
        QDialog box(this);
        QTimer::singleShot(0, &box, [this] { asking.reset(); });
        QTimer poll;
        connect(&poll, &QTimer::timeout, &box, [this, &box] {
            if (running->findChildren<QLocalSocket*>().isEmpty())
                box.accept();
        });
        poll.start(10);
        QTimer::singleShot(10000, &box, &QDialog::reject); // never hang the run
        box.exec();
    }
};

// A main window whose focus widget counts the Enter presses it gets.
struct MainWindow {
    QWidget window;
    QLineEdit* focus = new QLineEdit(&window);
    int enters = 0;
    MainWindow() {
        window.setWindowTitle(kTitle);
        QObject::connect(focus, &QLineEdit::returnPressed, [this] { ++enters; });
        window.show();
        focus->setFocus();
    }
};

// Sends `request` as it stands to the running copy; returns its answer, or
// "<dropped>" when it closed the connection without one.
QByteArray ask(const SingleInstance& running, const QByteArray& request) {
    QLocalSocket socket;
    socket.connectToServer(running.serverPath());
    if (!socket.waitForConnected(1000))
        return "<no connection>";
    socket.write(request);
    QByteArray answer;
    const bool ended = QTest::qWaitFor(
        [&] {
            answer += socket.readAll();
            return answer.endsWith('\n') || socket.state() == QLocalSocket::UnconnectedState;
        },
        5000);
    if (!ended)
        return "<no answer>";
    return answer.isEmpty() ? "<dropped>" : answer;
}
} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private:
    QTemporaryDir runtime_;
    QTemporaryDir temp_;

private slots:
    void init() {
        QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                   QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
    }

    // In the runtime folder; without one, in a folder of the user's own; a
    // runtime folder open to all (it may be /tmp) is passed over, and a
    // socket left by a copy that died is taken over.
    void socketLivesInAFolderOfTheUsersOwn() {
        for (const auto& [runtime, inRuntime] :
             {std::pair{"private", true}, {"", false}, {"shared", false}, {"leftover", true}}) {
            init();
            const QLatin1String kind(runtime);
            if (kind.isEmpty())
                qunsetenv("XDG_RUNTIME_DIR");
            if (kind == QLatin1String("shared"))
                QVERIFY(QFile::setPermissions(runtime_.path(), QFileDevice::Permissions(0x7777)));
            QFile leftover(runtime_.path() + QLatin1Char('/') + kTitle + QStringLiteral(".socket"));
            if (kind == QLatin1String("leftover"))
                QVERIFY(leftover.open(QIODevice::WriteOnly));
            QVERIFY(!SingleInstance::anotherCopyRunning(kTitle));
            SingleInstance first;
            QCOMPARE(first.claim(kTitle), SingleInstance::Claim::First);
            const QString folder = inRuntime ? runtime_.path()
                                             : temp_.path() + QStringLiteral("/crunchwise-") +
                                                   QString::number(::getuid());
            QCOMPARE(first.serverPath(),
                     folder + QLatin1Char('/') + kTitle + QStringLiteral(".socket"));
            // The folder of the title's name stays free for the compress batches.
            QVERIFY(QDir(folder).mkpath(kTitle));
            QCOMPARE(modeOf(folder), mode_t(0700));
            QCOMPARE(modeOf(first.serverPath()) & 077, mode_t(0));
            if (kind == QLatin1String("shared"))
                QCOMPARE(modeOf(runtime_.path()), mode_t(0777));
            SingleInstance second;
            QCOMPARE(second.claim(kTitle), SingleInstance::Claim::AnotherRunning);
            QVERIFY(second.serverPath().isEmpty());
        }
    }

    void fallbackFolderOfAnotherUserIsNotUsed() {
        if (::geteuid() != 0)
            QSKIP("needs root to give a folder to another user");
        qunsetenv("XDG_RUNTIME_DIR");
        QTemporaryDir temp;
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString planted =
            temp.path() + QStringLiteral("/crunchwise-") + QString::number(::getuid());
        QVERIFY(QDir().mkdir(planted));
        QCOMPARE(::chown(QFile::encodeName(planted).constData(), 65534, 65534), 0);
        SingleInstance first;
        QCOMPARE(first.claim(kTitle), SingleInstance::Claim::First);
        QVERIFY(first.serverPath().isEmpty());
        QVERIFY(QDir(planted).isEmpty());
    }

    // Both copies ask at the same moment; neither may listen over the other.
    void copiesStartedTogetherLeaveOneRunning() {
        for (int round = 0; round < 20; ++round) {
            std::barrier start(2);
            std::barrier done(2);
            std::atomic<int> firsts = 0;
            auto copy = [&] {
                SingleInstance instance;
                start.arrive_and_wait();
                if (instance.claim(kTitle) == SingleInstance::Claim::First)
                    ++firsts;
                done.arrive_and_wait();
            };
            std::unique_ptr<QThread> a(QThread::create(copy));
            std::unique_ptr<QThread> b(QThread::create(copy));
            a->start();
            b->start();
            QVERIFY(a->wait() && b->wait());
            QCOMPARE(firsts.load(), 1);
        }
    }

    void requestsActOnTheMainWindowOnly() {
        const struct {
            const char* what;
            QByteArray request;
            bool questionOpen; // a modal "Move to Trash" question
            QByteArray answer;
            int enters; // in the main window
        } rows[] = {
            {"activate: Enter in the main window", "activate\n", false, "done\n", 1},
            {"activate while a question is open: never answered", "activate\n", true, "done\n", 0},
            {"another window's caption is no request", "Move to Trash\n", true, "<dropped>", 0},
            {"the main window's caption is no request either", kTitle.toUtf8() + '\n', true,
             "<dropped>", 0},
            {"a request without a line end, once the limit is passed",
             QByteArray(SingleInstance::kMaxRequest + 1, 'a'), false, "<dropped>", 0},
            {"a request of a megabyte", QByteArray(1 << 20, 'a'), false, "<dropped>", 0},
        };
        for (const auto& row : rows) {
            SingleInstance running;
            QCOMPARE(running.claim(kTitle), SingleInstance::Claim::First);
            MainWindow main;
            running.setMainWindow(&main.window);
            QDialog question(&main.window);
            question.setWindowTitle(QStringLiteral("Move to Trash"));
            auto* yes = new QPushButton(QStringLiteral("&Yes"), &question);
            yes->setDefault(true);
            connect(yes, &QPushButton::clicked, &question, &QDialog::accept);
            question.setModal(true);
            if (row.questionOpen)
                question.show();
            QVERIFY2(ask(running, row.request) == row.answer, row.what);
            QVERIFY2(main.enters == row.enters, row.what);
            QVERIFY2(question.isVisible() == row.questionOpen, row.what);
            QCOMPARE(question.result(), int(QDialog::Rejected));
            QTRY_VERIFY(running.findChildren<QLocalSocket*>().isEmpty());
        }
    }

    // Any name the host allows reaches the running copy byte for byte, also
    // beside its look-alike whose two characters are U+FFFD.
    void openRequestCarriesTheExactName() {
        for (const QByteArray& name :
             {QByteArray("\xff\xfe.txt"), QByteArray("\xef\xbf\xbd\xef\xbf\xbd.txt"),
              QByteArray("caf\xc3\xa9.txt"), QByteArray("a\tb\nc.txt")}) {
            SingleInstance running;
            QCOMPARE(running.claim(kTitle), SingleInstance::Claim::First);
            QStringList opened;
            connect(&running, &SingleInstance::openRequested, this,
                    [&](const QString& path) { opened << path; });
            const QString path = FileNameCodec::decode("/some/folder/" + name);
            std::atomic<bool> answered = false;
            std::unique_ptr<QThread> second(QThread::create(
                [&] { answered = SingleInstance::activateAndOpen(kTitle, path, 5000); }));
            second->start();
            QTRY_VERIFY(second->isFinished());
            QVERIFY(answered);
            QCOMPARE(opened.size(), 1);
            QCOMPARE(FileNameCodec::encode(opened[0]), "/some/folder/" + name);
        }
    }

    void handOffSurvivesAPeerThatGaveUpDuringABox() {
        SingleInstance running;
        QCOMPARE(running.claim(kTitle), SingleInstance::Claim::First);
        BoxOnEnter window;
        running.setMainWindow(&window);
        window.running = &running;
        window.setWindowTitle(kTitle);
        window.show();
        window.asking = std::make_unique<QLocalSocket>();
        window.asking->connectToServer(running.serverPath());
        QVERIFY(window.asking->waitForConnected(1000));
        window.asking->write("activate\n");
        QTRY_COMPARE(window.boxes, 1);
        QTRY_VERIFY(!window.asking);
        QTRY_VERIFY(running.findChildren<QLocalSocket*>().isEmpty());
        QTest::qWait(50); // the running copy returns from the box here
        QCOMPARE(window.boxes, 1);
    }
};

QTEST_MAIN(TestSingleInstance)
#include "single_instance_test.moc"
