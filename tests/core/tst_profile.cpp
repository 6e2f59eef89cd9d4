#include "profile/Profile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

void put(const QDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Two pages of 2 x 2 buttons; a third page section lies past the stored count.
void writeProfile(const QDir& dir)
{
    put(dir, "Options.ini", "[PageControl]\r\nColCount=2\r\nCommandsCount=2\r\nPagesCount=2\r\n");
    put(dir, "Pages.ini",
        QStringLiteral("[0]\r\nCaption=Работа\r\nImageIndex=1\r\n[1]\r\nCaption=Игры\r\n"
                       "[2]\r\nCaption=Лишняя\r\n")
            .toUtf8());
    put(dir, "Commands.ini",
        QStringLiteral("[0\\0]\r\nExePath=/usr/bin/firefox\r\nDescription=Браузер\r\n"
                       "Parameters=--private\r\n[0\\3]\r\nExePath=/usr/bin/gimp\r\n"
                       "Description=Графика\r\n[1\\1]\r\nExePath=/usr/games/browser-game\r\n"
                       "Description=Браузерная игра\r\n[2\\0]\r\nExePath=/bin/lost\r\n")
            .toUtf8());
    put(dir, "RunStat.ini", "[1\\1]\r\nRunCount=7\r\n");
}

} // namespace

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    // Pages and commands are read as a start reads them, and nothing is written.
    void readsWithoutWriting()
    {
        QTemporaryDir tmp;
        const QDir dir(tmp.path());
        writeProfile(dir);
        const QStringList before = dir.entryList(QDir::Files);
        const TProfile profile(tmp.path());
        QCOMPARE(profile.Pages().size(), 2);
        QCOMPARE(profile.Pages()[0].caption, QStringLiteral("Работа"));
        QCOMPARE(profile.Pages()[0].imageIndex, 1);
        QCOMPARE(profile.Pages()[1].commands.size(), 4);
        QCOMPARE(profile.CommandCount(), 3);
        QCOMPARE(profile.Pages()[0].commands[0].Parameters(), QString("--private"));
        QCOMPARE(profile.Pages()[1].runCounts[1], 7);
        QCOMPARE(dir.entryList(QDir::Files), before);

        // A folder with nothing shows the page a first run has, and stays empty.
        QTemporaryDir empty;
        const TProfile fresh(empty.path());
        QCOMPARE(fresh.Pages().size(), 1);
        QCOMPARE(fresh.Pages()[0].caption, QStringLiteral("Новая"));
        QCOMPARE(fresh.Pages()[0].commands.size(), 5);
        QVERIFY(QDir(empty.path()).entryList(QDir::Files).isEmpty());
    }

    void namingACommand()
    {
        QTemporaryDir tmp;
        writeProfile(QDir(tmp.path()));
        const TProfile profile(tmp.path());
        QString error;
        QCOMPARE(profile.Find("1:4", &error), (TButtonPlace{0, 3}));
        QCOMPARE(profile.Find(QStringLiteral("игры:2"), &error), (TButtonPlace{1, 1}));
        QCOMPARE(profile.Find(QStringLiteral(" браузер "), &error), (TButtonPlace{0, 0}));
        QCOMPARE(profile.Find(QStringLiteral("граф"), &error), (TButtonPlace{0, 3}));

        const struct
        {
            QString name;
            QString error;
        } refused[] = {
            {"", QStringLiteral("Не указана команда.")},
            {"3:1", QStringLiteral("Нет страницы с номером 3: страниц 2.")},
            {"1:9", QStringLiteral("Нет кнопки с номером 9: на странице их 4.")},
            {"1:2", QStringLiteral("Кнопка 2 страницы «Работа» пуста.")},
            {QStringLiteral("Почта:1"), QStringLiteral("Нет страницы «Почта».")},
            {QStringLiteral("Редактор"), QStringLiteral("Нет команды «Редактор».")},
            {QStringLiteral("браузерн"), QString()},
            {QStringLiteral("раф"), QString()},
            {QStringLiteral("р"), QStringLiteral("Команд, в описании которых есть «р», несколько: "
                                                 "3. Уточните описание или укажите страницу и "
                                                 "кнопку.")},
        };
        for (const auto& r : refused) {
            error.clear();
            const TButtonPlace place = profile.Find(r.name, &error);
            QCOMPARE(place.IsValid(), r.error.isEmpty());
            QCOMPARE(error, r.error);
        }
        QCOMPARE(profile.FirstEmptyButton(0), (TButtonPlace{0, 1}));
        QVERIFY(!profile.FirstEmptyButton(5).IsValid());
    }

    void listsForPeopleAndPrograms()
    {
        QTemporaryDir tmp;
        writeProfile(QDir(tmp.path()));
        const TProfile profile(tmp.path());
        QCOMPARE(profile.ListText(),
                 QStringLiteral("Страница 1: Работа\n"
                                "  1:1  Браузер  —  /usr/bin/firefox --private\n"
                                "  1:4  Графика  —  /usr/bin/gimp\n"
                                "Страница 2: Игры\n"
                                "  2:2  Браузерная игра  —  /usr/games/browser-game\n"));
        const QJsonObject root = QJsonDocument::fromJson(profile.ListJson()).object();
        QCOMPARE(root["columns"].toInt(), 2);
        const QJsonArray pages = root["pages"].toArray();
        QCOMPARE(pages.size(), 2);
        const QJsonObject game = pages[1].toObject()["commands"].toArray()[0].toObject();
        QCOMPARE(game["button"].toInt(), 2);
        QCOMPARE(game["runCount"].toInt(), 7);
        QCOMPARE(game["description"].toString(), QStringLiteral("Браузерная игра"));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
