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

        // A first start has no stored position but the defaults (800, 600).
        QVERIFY(waitUntil(
            [&] { return program.windowGeometry(window).topLeft() == QPoint(800, 600); }));

        QProcess* second = program.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);
    }
};

QTEST_MAIN(TestE2eStartup)
#include "tst_e2e_startup.moc"
