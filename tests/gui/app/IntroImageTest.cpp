#include "gui/app/TForm_IntroImage.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillory;

class IntroImageTest : public QObject {
    Q_OBJECT

private slots:
    void startupModeClosesItselfAfterTwoAndAHalfSeconds() {
        TForm_IntroImage intro;
        bool buttonShown = true;
        QTimer::singleShot(500, &intro, [&] { buttonShown = intro.OkButton()->isVisible(); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(intro.ShowModal(), int(QDialog::Accepted));
        QVERIFY(clock.elapsed() >= TForm_IntroImage::CloseDelayMs - 50);
        QVERIFY(clock.elapsed() < TForm_IntroImage::CloseDelayMs + 2000);
        QVERIFY(!buttonShown);
        QVERIFY(!intro.isVisible());
        QVERIFY(!intro.IsFirstShowing());
    }

    void escapeChangesNothingInEitherMode() {
        TForm_IntroImage intro;
        QTimer::singleShot(300, &intro, [&] { QTest::keyClick(&intro, Qt::Key_Escape); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(intro.ShowModal(), int(QDialog::Accepted)); // start-up: the full time
        QVERIFY(clock.elapsed() >= TForm_IntroImage::CloseDelayMs - 50);

        bool openAfterEscape = false;
        QTimer::singleShot(100, &intro, [&] {
            QTest::keyClick(&intro, Qt::Key_Escape);
            QTest::keyClick(intro.OkButton(), Qt::Key_Escape);
        });
        QTimer::singleShot(400, &intro, [&] {
            openAfterEscape = intro.isVisible();
            QTest::mouseClick(intro.OkButton(), Qt::LeftButton);
        });
        intro.About2Click();
        QVERIFY(openAfterEscape);
        QCOMPARE(intro.result(), int(QDialog::Accepted));
    }

    void closingDuringStartupGivesTheCancelResult() {
        TForm_IntroImage intro;
        QTimer::singleShot(200, &intro, [&] { intro.close(); });
        QCOMPARE(intro.ShowModal(), int(QDialog::Rejected));
    }

    void aboutModeWaitsForOk() {
        TForm_IntroImage intro;
        QTimer::singleShot(0, &intro, [&] { intro.accept(); }); // the start-up showing
        intro.ShowModal();

        bool stillOpen = false;
        bool buttonShown = false;
        QTimer::singleShot(TForm_IntroImage::CloseDelayMs + 500, &intro, [&] {
            stillOpen = intro.isVisible();
            buttonShown = intro.OkButton()->isVisible() && intro.OkButton()->isEnabled();
            QTest::mouseClick(intro.OkButton(), Qt::LeftButton);
        });
        intro.About2Click();
        QVERIFY(stillOpen);
        QVERIFY(buttonShown);
        QVERIFY(!intro.isVisible());
        QCOMPARE(intro.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(IntroImageTest)
#include "IntroImageTest.moc"
