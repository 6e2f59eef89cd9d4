#include "settings/IniFile.h"
#include "settings/ProfileUndo.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

} // namespace

class TestProfileUndo : public QObject
{
    Q_OBJECT

private slots:
    // Nested steps are one; a step that wrote nothing is none; a new step drops what could be
    // redone; the oldest steps go beyond the limit.
    void stepsAreRecordedAsTheUserMadeThem()
    {
        QTemporaryDir dir;
        const QString pages = dir.filePath("Pages.ini");
        put(pages, "[0]\r\nCaption=A\r\n");
        TUndoStack stack(dir.path());
        QSignalSpy changed(&stack, &TUndoStack::Changed);
        {
            TUndoStep outer("переименование страницы «A»");
            TUndoStep inner("ignored");
            IniFile(pages).writeString("0", "Caption", "B");
        }
        // With no program stack set, steps record nothing.
        QCOMPARE(stack.UndoCount(), 0);

        SetProfileUndo(&stack);
        {
            TUndoStep outer("переименование страницы «A»");
            {
                TUndoStep inner("другое");
                IniFile(pages).writeString("0", "Caption", "C");
            }
            QCOMPARE(stack.UndoCount(), 0);
        }
        QCOMPARE(stack.UndoCount(), 1);
        QCOMPARE(stack.UndoLabel(), QStringLiteral("переименование страницы «A»"));
        {
            TUndoStep nothing("ничего");
        }
        QCOMPARE(stack.UndoCount(), 1);

        QVERIFY(stack.Undo());
        QCOMPARE(contents(pages), QByteArray("[0]\r\nCaption=B\r\n"));
        QVERIFY(stack.CanRedo());
        {
            TUndoStep step("новое");
            IniFile(pages).writeString("0", "Caption", "D");
        }
        QVERIFY(!stack.CanRedo());

        for (int i = 0; i < TUndoStack::Limit + 5; ++i) {
            TUndoStep step(QString::number(i));
            IniFile(pages).writeString("0", "Caption", QString::number(i));
        }
        QCOMPARE(stack.UndoCount(), TUndoStack::Limit);
        SetProfileUndo(nullptr);
        QVERIFY(changed.count() > TUndoStack::Limit);
    }

    // A file the step created goes again, one it deleted comes back, and IniFile objects open on
    // them see the restored contents at once.
    void filesComeAndGo()
    {
        QTemporaryDir dir;
        const QString stat = dir.filePath("RunStat.ini");
        const QString images = dir.filePath("PagesImages.dat");
        put(images, QByteArray("\x01\x02\x03", 3));
        TUndoStack stack(dir.path());
        IniFile statFile(stat);
        QCOMPARE(statFile.readString("1\\2", "RunCount", "none"), QString("none"));
        stack.Begin("перемещение команды");
        statFile.writeString("1\\2", "RunCount", "5");
        QFile::remove(images);
        stack.End();

        QVERIFY(stack.Undo());
        QVERIFY(!QFile::exists(stat));
        QCOMPARE(contents(images), QByteArray("\x01\x02\x03", 3));
        QCOMPARE(statFile.readString("1\\2", "RunCount", "none"), QString("none"));
        QVERIFY(stack.Redo());
        QCOMPARE(statFile.readString("1\\2", "RunCount", "none"), QString("5"));
        QVERIFY(!QFile::exists(images));
        QVERIFY(QDir(dir.path()).entryList({"*journal*"}, QDir::Files | QDir::Hidden).isEmpty());
    }

    // What others wrote after the step stays: the window's place and later runs are no part of
    // a change to the pages, so an undo puts back only the keys the step changed.
    void laterWritesOfOthersStay()
    {
        QTemporaryDir dir;
        const QString options = dir.filePath("Options.ini");
        put(options, "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\n[MainForm]\r\nLeft=10\r\n");
        TUndoStack stack(dir.path());
        IniFile file(options);
        stack.Begin("изменение сетки");
        file.writeInteger("PageControl", "ColCount", 3);
        file.writeInteger("PageControl", "Extra", 1);
        stack.End();
        file.writeInteger("MainForm", "Left", 200);

        QVERIFY(stack.Undo());
        QCOMPARE(file.readInteger("PageControl", "ColCount", 0), 1);
        QVERIFY(!file.valueExists("PageControl", "Extra"));
        QCOMPARE(file.readInteger("MainForm", "Left", 0), 200);
        QVERIFY(stack.Redo());
        QCOMPARE(file.readInteger("PageControl", "ColCount", 0), 3);
        QCOMPARE(file.readInteger("PageControl", "Extra", 0), 1);
        QCOMPARE(file.readInteger("MainForm", "Left", 0), 200);
    }

    // A folder that cannot be written keeps the step where it was and reports it.
    void aFailedWriteKeepsTheStep()
    {
        if (QFileInfo(QDir::rootPath()).isWritable())
            QSKIP("the super-user writes everywhere");
        QTemporaryDir dir;
        const QString pages = dir.filePath("Pages.ini");
        put(pages, "[0]\r\nCaption=A\r\n");
        TUndoStack stack(dir.path());
        stack.Begin("x");
        IniFile(pages).writeString("0", "Caption", "B");
        stack.End();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        const bool undone = stack.Undo();
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!undone);
        QVERIFY(stack.CanUndo());
        QCOMPARE(contents(pages), QByteArray("[0]\r\nCaption=B\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProfileUndo)
#include "tst_profileundo.moc"
