#include "TestSupport.h"
#include "dialogs/InputBox.h"
#include "dialogs/PagesImages.h"
#include "images/Bmp.h"
#include "platform/FileDialogs.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TFakeFileDialogs : public IFileDialogs
{
public:
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&,
                            const QString&, const QString&, bool) override
    {
        return {};
    }
    QString GetOpenFileName(QWidget*, const QString&, const QString&,
                            const QString& filter) override
    {
        filters.append(filter);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override { return {}; }

    QStringList answers;
    QStringList filters;

private:
    TScopedSeam<IFileDialogs> m_seam{SetFileDialogs, this};
};

class TScriptedInputBoxes : public IInputBoxes
{
public:
    struct Asked
    {
        QString caption;
        QString prompt;
        QString initial;
    };

    bool InputBox(const QString& caption, const QString& prompt, QString& text, bool editVisible,
                  bool okIsDefault, QWidget*) override
    {
        asked.append({caption, prompt, text});
        if (!editVisible || !okIsDefault)
            QTest::qFail("the input box is asked with its edit and OK as the default", __FILE__,
                         __LINE__);
        return answer(text);
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& text, QWidget*) override
    {
        asked.append({caption, prompt, text});
        return answer(text);
    }

    // null answer: the user cancels.
    QStringList answers;
    QList<Asked> asked;

private:
    bool answer(QString& text)
    {
        if (answers.isEmpty()) {
            QTest::qFail("unexpected input box", __FILE__, __LINE__);
            return false;
        }
        const QString next = answers.takeFirst();
        if (next.isNull())
            return false;
        text = next;
        return true;
    }
    TScopedSeam<IInputBoxes> m_seam{SetInputBoxes, this};
};

// A 16 x 16 (or other size) 24-bit picture: white in its bottom-left corner, magenta in its
// top-left one, and a colour of its own elsewhere.
TBitmap picture(QRgb fill, int size = 16)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(fill);
    image.setPixel(0, size - 1, qRgb(255, 255, 255));
    image.setPixel(1, size - 1, qRgb(255, 255, 255));
    image.setPixel(0, 0, qRgb(255, 0, 255));
    return TBitmap::fromImage(image);
}

int alphaAt(const QListWidgetItem* item, int x, int y)
{
    return qAlpha(item->icon().pixmap(16, 16).toImage().pixel(x, y));
}

} // namespace

class TestPagesImages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString dataFile() const { return m_dir.filePath(QStringLiteral("PagesImages.dat")); }
    QString pictureFile(const QString& name, const TBitmap& bitmap)
    {
        const QString path = m_dir.filePath(name);
        writeAll(path, Bmp::write(bitmap));
        return path;
    }
    void makeRepository(const QStringList& names)
    {
        TRepository repository(dataFile());
        for (int i = 0; i < names.size(); ++i)
            repository.AddImage(names[i], picture(qRgb(10 * i, 100, 200)));
        QVERIFY(repository.Save());
    }

private slots:
    void init() { QFile::remove(dataFile()); }

    void opensWithThePicturesOfTheFile()
    {
        makeRepository({QStringLiteral("Дом"), QStringLiteral("Сад")});
        QWidget main;
        TfmPagesImages dialog(&main, dataFile());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Рисунки для страниц"));
        QCOMPARE(dialog.MainPageControl->tabText(0), QStringLiteral("Рисунки 16 x 16"));
        QCOMPARE(dialog.TabsIconsListView->count(), 2);
        QCOMPARE(dialog.TabsIconsListView->item(1)->text(), QStringLiteral("Сад"));
        // Read from the file, magenta is the transparent colour; white is not.
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(0), 0, 0), 0);
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(0), 0, 15), 255);
        dialog.show();
        QCOMPARE(dialog.focusWidget(), dialog.AddBitBtn);
        QCOMPARE(dialog.minimumSize(), QSize(424, 228));
    }

    void addingAsksAgainForATakenName()
    {
        makeRepository({QStringLiteral("Дом")});
        TFakeFileDialogs files;
        TScriptedInputBoxes inputs;
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());
        files.answers << pictureFile(QStringLiteral("new.bmp"), picture(qRgb(0, 128, 0)));
        inputs.answers << QStringLiteral("дОм") << QStringLiteral("Сад");
        boxes.expect(IDOK);
        dialog.AddBitBtnClick();

        QCOMPARE(files.filters, QStringList{QStringLiteral("Bitmaps (*.bmp)")});
        QCOMPARE(inputs.asked.size(), 2);
        QCOMPARE(inputs.asked[0].caption, QStringLiteral("Добавление рисунка"));
        QCOMPARE(inputs.asked[0].prompt, QStringLiteral("Введите название для рисунка"));
        QCOMPARE(inputs.asked[0].initial, QStringLiteral("Новый"));
        // The text just entered is offered again.
        QCOMPARE(inputs.asked[1].initial, QStringLiteral("дОм"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Рисунок с таким именем уже существует!\rВведите другое!"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка"));
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);

        QCOMPARE(dialog.TabsIconsListView->count(), 2);
        QCOMPARE(dialog.TabsIconsListView->item(1)->text(), QStringLiteral("Сад"));
        QCOMPARE(dialog.Repository().IndexOfName(QStringLiteral("сад")), 1);
        // Shown at once as it will show later: magenta is transparent, the rest is drawn.
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(1), 0, 15), 255);
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(1), 5, 5), 255);
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(1), 0, 0), 0);
        // A picture whose background is its bottom-left colour still shows.
        files.answers << pictureFile(QStringLiteral("plain.bmp"), picture(qRgb(255, 255, 255)));
        inputs.answers << QStringLiteral("Белый");
        dialog.AddBitBtnClick();
        QCOMPARE(alphaAt(dialog.TabsIconsListView->item(2), 5, 5), 255);
        dialog.Repository().DeleteImage(QStringLiteral("Белый"));
        delete dialog.TabsIconsListView->item(2);

        // Nothing reaches the file before OK; OK writes it.
        TRepository before(dataFile());
        before.Load();
        QCOMPARE(before.Count(), 1);
        dialog.OkButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        TfmPagesImages reopened(nullptr, dataFile());
        QCOMPARE(reopened.TabsIconsListView->count(), 2);
        // After reopening, magenta is transparent instead.
        QCOMPARE(alphaAt(reopened.TabsIconsListView->item(1), 0, 15), 255);
        QCOMPARE(alphaAt(reopened.TabsIconsListView->item(1), 0, 0), 0);
    }

    void wrongSizeIsReportedBeforeTheName()
    {
        TFakeFileDialogs files;
        TScriptedInputBoxes inputs;
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());
        files.answers << pictureFile(QStringLiteral("big.bmp"), picture(qRgb(1, 2, 3), 32));
        boxes.expect(IDOK);
        dialog.AddBitBtnClick();
        // The size is checked before the name is asked.
        QCOMPARE(inputs.asked.size(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Размер рисунка не соответствует!\rВыберите другой!"));
        QCOMPARE(dialog.TabsIconsListView->count(), 0);
        QCOMPARE(dialog.Repository().Count(), 0);

        // Cancelling the file chooser or the name asks nothing more.
        dialog.AddBitBtnClick();
        files.answers << pictureFile(QStringLiteral("ok.bmp"), picture(qRgb(1, 2, 3)));
        inputs.answers << QString();
        dialog.AddBitBtnClick();
        QCOMPARE(inputs.asked.size(), 1);
        QCOMPARE(dialog.Repository().Count(), 0);

        // A file that is no bitmap: an error in the application's box, nothing added.
        const QString broken = m_dir.filePath(QStringLiteral("broken.bmp"));
        writeAll(broken, "not a picture");
        files.answers << broken;
        boxes.expect(IDOK);
        dialog.AddBitBtnClick();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[1].caption, QString());
        QVERIFY(boxes.shown[1].text.contains(broken));
        QCOMPARE(dialog.Repository().Count(), 0);
    }

    void deleteThenCancelLeavesTheFileAlone()
    {
        makeRepository({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        const QByteArray original = readAll(dataFile());
        TScriptedMessageBoxes boxes;
        {
            TfmPagesImages dialog(nullptr, dataFile());
            // Nothing selected: nothing happens.
            dialog.DelBitBtnClick();
            QCOMPARE(boxes.shown.size(), 0);

            dialog.TabsIconsListView->setCurrentRow(1);
            boxes.expect(IDCANCEL);
            dialog.DelBitBtnClick();
            QCOMPARE(dialog.TabsIconsListView->count(), 3);
            QCOMPARE(boxes.shown[0].text,
                     QStringLiteral("Вы действительно хотите удалить рисунок \rtwo ?"));
            QCOMPARE(boxes.shown[0].caption, QStringLiteral("Подтвердите удаление"));
            QCOMPARE(boxes.shown[0].flags & 0xFF, MB::OKCANCEL | MB::ICONQUESTION);

            boxes.expect(IDOK);
            dialog.DelBitBtnClick();
            QCOMPARE(dialog.TabsIconsListView->count(), 2);
            QCOMPARE(dialog.TabsIconsListView->item(1)->text(), QStringLiteral("three"));
            QCOMPARE(dialog.Repository().Images(1)->Name, QStringLiteral("three"));
            dialog.CancelButton->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(readAll(dataFile()), original);
    }

    void deletingEveryPictureAndOkRemovesTheFile()
    {
        makeRepository({QStringLiteral("one"), QStringLiteral("two")});
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());
        for (int i = 0; i < 2; ++i) {
            dialog.TabsIconsListView->setCurrentRow(0);
            boxes.expect(IDOK);
            dialog.DelBitBtnClick();
        }
        QCOMPARE(dialog.TabsIconsListView->count(), 0);
        dialog.OkButton->click();
        QVERIFY(!QFile::exists(dataFile()));
    }

    void renamingThroughThePrompt()
    {
        makeRepository({QStringLiteral("Дом"), QStringLiteral("Сад")});
        TScriptedInputBoxes inputs;
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());

        boxes.expect(IDOK);
        dialog.btnEditClick();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("Выберите рисунок!"));
        QCOMPARE(boxes.shown[0].caption, QString());
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
        QCOMPARE(inputs.asked.size(), 0);

        dialog.TabsIconsListView->setCurrentRow(0);
        // Onto the other picture's name: refused.
        inputs.answers << QStringLiteral("САД");
        boxes.expect(IDOK);
        dialog.btnEditClick();
        QCOMPARE(inputs.asked[0].caption, QStringLiteral("Изменение названия рисунка"));
        QCOMPARE(inputs.asked[0].prompt, QStringLiteral("Введите новое название"));
        QCOMPARE(inputs.asked[0].initial, QStringLiteral("Дом"));
        QCOMPARE(boxes.shown[1].text,
                 QStringLiteral("Рисунок с таким именем уже существует!\rВведите другое!"));
        QCOMPARE(dialog.TabsIconsListView->item(0)->text(), QStringLiteral("Дом"));
        // Its own name in other letter case: accepted.
        inputs.answers << QStringLiteral("ДОМ");
        dialog.btnEditClick();
        QCOMPARE(dialog.TabsIconsListView->item(0)->text(), QStringLiteral("ДОМ"));
        QCOMPARE(dialog.Repository().Images(0)->Name, QStringLiteral("ДОМ"));
        // Cancel changes nothing.
        inputs.answers << QString();
        dialog.btnEditClick();
        QCOMPARE(dialog.Repository().Images(0)->Name, QStringLiteral("ДОМ"));
    }

    void renamingInPlace()
    {
        makeRepository({QStringLiteral("Дом"), QStringLiteral("Сад")});
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());
        QListWidgetItem* item = dialog.TabsIconsListView->item(1);
        QVERIFY(item->flags() & Qt::ItemIsEditable);
        // What the list's editor does when the user accepts a new text.
        item->setText(QStringLiteral("Лес"));
        QCOMPARE(dialog.Repository().Images(1)->Name, QStringLiteral("Лес"));
        QCOMPARE(dialog.Repository().IndexOfName(QStringLiteral("Сад")), -1);

        boxes.expect(IDOK);
        item->setText(QStringLiteral("дом"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(item->text(), QStringLiteral("Лес"));
        QCOMPARE(dialog.Repository().Images(1)->Name, QStringLiteral("Лес"));

        // Enter in the list's own editor accepts the text and leaves the dialog open.
        dialog.show();
        dialog.TabsIconsListView->setCurrentItem(item);
        dialog.TabsIconsListView->editItem(item);
        auto* editor = dialog.TabsIconsListView->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Field"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(1); // the list commits the text after the key
        QCOMPARE(dialog.Repository().Images(1)->Name, QStringLiteral("Field"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);

        // A name longer than the file holds is cut in the list too.
        item->setText(QString(300, u'я'));
        QCOMPARE(item->text(), QString(255, u'я'));
    }

    void replacingShowsTheNewPicture()
    {
        makeRepository({QStringLiteral("Дом")});
        TFakeFileDialogs files;
        TScriptedMessageBoxes boxes;
        TfmPagesImages dialog(nullptr, dataFile());
        // Nothing selected: no file is asked for.
        dialog.ReplaceBitBtnClick();
        QCOMPARE(files.filters.size(), 0);

        dialog.TabsIconsListView->setCurrentRow(0);
        files.answers << pictureFile(QStringLiteral("big.bmp"), picture(qRgb(1, 2, 3), 32));
        boxes.expect(IDOK);
        dialog.ReplaceBitBtnClick();
        QCOMPARE(boxes.shown.size(), 1);

        files.answers << pictureFile(QStringLiteral("red.bmp"), picture(qRgb(255, 0, 0)));
        dialog.ReplaceBitBtnClick();
        QCOMPARE(dialog.Repository().Images(0)->Bitmap.Image.pixel(8, 8), qRgb(255, 0, 0));
        QCOMPARE(dialog.TabsIconsListView->item(0)->icon().pixmap(16, 16).toImage().pixel(8, 8),
                 qRgb(255, 0, 0));
        dialog.OkButton->click();
        TRepository saved(dataFile());
        QVERIFY(saved.Load());
        QCOMPARE(saved.Images(0)->Bitmap.Image.pixel(8, 8), qRgb(255, 0, 0));
    }

    void okThatCannotSaveKeepsTheDialogOpen()
    {
        TFakeFileDialogs files;
        TScriptedInputBoxes inputs;
        TScriptedMessageBoxes boxes;
        const QString missingFolder = m_dir.filePath(QStringLiteral("missing/PagesImages.dat"));
        TfmPagesImages dialog(nullptr, missingFolder);
        files.answers << pictureFile(QStringLiteral("a.bmp"), picture(qRgb(1, 2, 3)));
        inputs.answers << QStringLiteral("a");
        dialog.AddBitBtnClick();
        dialog.show();
        boxes.expect(IDOK);
        dialog.OkButton->click();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Ошибка"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Repository().Count(), 1);
    }
};

QTEST_MAIN(TestPagesImages)
#include "tst_pagesimages.moc"
