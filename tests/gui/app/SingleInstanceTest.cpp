#include "gui/app/SingleInstance.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// Runs the real program twice, as a user double-clicking it twice would.
class SingleInstanceTest : public QObject {
    Q_OBJECT

    QTemporaryDir home_;

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_RUNTIME_DIR", home_.path() + "/runtime");
        environment.insert("XDG_CONFIG_HOME", home_.path() + "/config");
        environment.insert("XDG_DATA_HOME", home_.path() + "/data");
        return environment;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        QVERIFY(QDir().mkpath(home_.path() + "/runtime"));
        QFile::setPermissions(home_.path() + "/runtime", QFileDevice::ReadOwner |
                                                             QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner);
    }

    void secondStartExitsAtOnceWhileTheFirstRuns() {
        QProcess first;
        first.setProcessEnvironment(Environment());
        first.start(QUILLORY_EXECUTABLE, {});
        QVERIFY(first.waitForStarted());
        const QString lock = home_.path() + "/runtime/quillory.lock";
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(lock), 10000);

        // The first instance is still in its start-up window: the second asks it
        // to come forward and ends long before a start-up window of its own
        // could have closed.
        QProcess second;
        second.setProcessEnvironment(Environment());
        QElapsedTimer clock;
        clock.start();
        second.start(QUILLORY_EXECUTABLE, {});
        QVERIFY(second.waitForFinished(5000));
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        // Past its start-up window, with the main window up, the first one
        // still runs and is asked again.
        QTest::qWait(3000);
        QCOMPARE(first.state(), QProcess::Running);
        QProcess third;
        third.setProcessEnvironment(Environment());
        third.start(QUILLORY_EXECUTABLE, {});
        QVERIFY(third.waitForFinished(5000));
        QCOMPARE(third.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        // A first instance that died without cleaning up does not block the next start.
        first.kill();
        first.waitForFinished();
        QProcess next;
        next.setProcessEnvironment(Environment());
        next.start(QUILLORY_EXECUTABLE, {});
        QVERIFY(next.waitForStarted());
        QVERIFY(!next.waitForFinished(1500));
        next.kill();
        next.waitForFinished();
    }

    // A later start hands its activation token to the first, which a
    // Wayland compositor wants before it brings a window forward; anything
    // that is not a token is not passed on.
    void aLaterStartHandsOverItsActivationToken() {
        const QString directory = home_.path() + "/tokens";
        quillory::SingleInstance first(directory);
        QVERIFY(first.TryBecomeFirst());
        QSignalSpy asked(&first, &quillory::SingleInstance::RaiseRequested);
        const struct {
            QByteArray Given, Received;
        } cases[] = {
            {"", ""},
            {"kwin-17_TIME1234", "kwin-17_TIME1234"},
            {"two words", ""},
            {"line\nraise evil", ""},
        };
        for (const auto& c : cases) {
            quillory::SingleInstance later(directory);
            QVERIFY(!later.TryBecomeFirst());
            later.AskFirstToRaise(c.Given);
            QTRY_COMPARE(asked.size(), 1);
            QCOMPARE(asked.takeFirst().at(0).toByteArray(), c.Received);
        }
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
