#include "E2eSupport.h"

#include <QTest>

class TestE2eStartup : public QObject
{
    Q_OBJECT

    TDisplay display;

private slots:
    void initTestCase()
    {
        QString why;
        if (!display.start(true, &why))
            QSKIP(qPrintable("no X display for end-to-end tests: " + why));
    }

    void firstStartCreatesDefaultFiles()
    {
        TProgram program(display);
        QProcess* first = program.start();
        const QString window = program.waitForWindow();
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QVERIFY(program.read("Options.ini").startsWith("[PageControl]\r\nColCount=1\r\n"));
        QCOMPARE(program.read("Pages.ini"),
                 QStringLiteral("[0]\r\nCaption=Новая\r\nImageIndex=-1\r\n").toUtf8());

        // The window stands at the right edge of the screen.
        const QRect r = program.windowGeometry(window);
        QVERIFY2(r.right() >= 1280 - 10, qPrintable(QString("window at %1,%2 %3x%4")
                                                        .arg(r.x())
                                                        .arg(r.y())
                                                        .arg(r.width())
                                                        .arg(r.height())));

        QProcess* second = program.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
    }
};

QTEST_MAIN(TestE2eStartup)
#include "tst_e2e_startup.moc"
