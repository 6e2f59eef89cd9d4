#include "settings/ProgramArguments.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <optional>

namespace {

struct TVerbName
{
    TVerb verb;
    const char16_t* option;
    bool takesValue;
};

constexpr TVerbName VerbNames[] = {
    {TVerb::Toggle, u"--toggle", false}, {TVerb::Show, u"--show", false},
    {TVerb::Hide, u"--hide", false},     {TVerb::Run, u"--run", true},
    {TVerb::Add, u"--add", true},        {TVerb::List, u"--list", false},
    {TVerb::Export, u"--export", true},  {TVerb::Import, u"--import", true},
    {TVerb::Quit, u"--quit", false},     {TVerb::Version, u"--version", false},
    {TVerb::Help, u"--help", false},
};

// Qt's own options, which QApplication removes from the command line itself; both "-x" and "--x"
// are Qt's spelling.
const QStringList QtOptionsWithValue = {"platform",
                                        "platformpluginpath",
                                        "platformtheme",
                                        "plugin",
                                        "qwindowgeometry",
                                        "qwindowicon",
                                        "qwindowtitle",
                                        "session",
                                        "display",
                                        "geometry",
                                        "title",
                                        "icon",
                                        "name",
                                        "style",
                                        "stylesheet",
                                        "fn",
                                        "font",
                                        "bg",
                                        "background",
                                        "fg",
                                        "foreground",
                                        "btn",
                                        "button",
                                        "im",
                                        "inputstyle",
                                        "visual",
                                        "ncols"};
const QStringList QtFlags = {"reverse", "widgetcount", "nograb",     "dograb",
                             "sync",    "cmap",        "testability"};

QString QtOptionName(const QString& argument)
{
    QString name = argument;
    if (name.startsWith(QStringLiteral("--")))
        name.remove(0, 2);
    else if (name.startsWith(u'-'))
        name.remove(0, 1);
    else
        return {};
    return name;
}

QString Quoted(const QString& text)
{
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// A positive whole number that fits an int; 0 when the text is anything else.
int PositiveNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    return ok && value > 0 && digits.match(text).hasMatch() ? value : 0;
}

TProgramArguments Failed(const QString& message)
{
    TProgramArguments result;
    result.error = message;
    return result;
}

} // namespace

QString VerbOption(TVerb verb)
{
    for (const TVerbName& name : VerbNames)
        if (name.verb == verb)
            return QString::fromUtf16(name.option);
    return {};
}

TProgramArguments ParseProgramArguments(const QStringList& arguments)
{
    TProgramArguments result;
    QString verbOption;
    QString value;
    bool pageGiven = false;
    QString pageText;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments.at(i);
        // "--run=2:3" is the same as "--run 2:3".
        std::optional<QString> joined;
        if (argument.startsWith(QStringLiteral("--")) && argument.contains(u'=')) {
            const qsizetype equals = argument.indexOf(u'=');
            joined = argument.mid(equals + 1);
            argument.truncate(equals);
        }
        auto takeValue = [&](QString* into) -> bool {
            if (joined) {
                *into = *joined;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            *into = arguments.at(++i);
            return true;
        };

        const TVerbName* verb = nullptr;
        for (const TVerbName& name : VerbNames)
            if (argument == QString::fromUtf16(name.option))
                verb = &name;
        if (verb) {
            if (!verbOption.isEmpty())
                return Failed(QStringLiteral("Параметры %1 и %2 нельзя указывать вместе.")
                                  .arg(Quoted(verbOption), Quoted(argument)));
            if (verb->takesValue && !takeValue(&value))
                return Failed(
                    QStringLiteral("После параметра %1 нужно значение.").arg(Quoted(argument)));
            if (!verb->takesValue && joined)
                return Failed(
                    QStringLiteral("У параметра %1 не бывает значения.").arg(Quoted(argument)));
            verbOption = argument;
            result.verb = verb->verb;
            continue;
        }
        if (argument == QStringLiteral("--page")) {
            if (!takeValue(&pageText))
                return Failed(QStringLiteral("После параметра «--page» нужен номер страницы."));
            pageGiven = true;
            continue;
        }
        if (argument == QStringLiteral("--json")) {
            if (joined)
                return Failed(QStringLiteral("У параметра «--json» не бывает значения."));
            result.json = true;
            continue;
        }
        const QString qtName = QtOptionName(argument);
        if (!joined && QtOptionsWithValue.contains(qtName)) {
            if (i + 1 >= arguments.size())
                return Failed(
                    QStringLiteral("После параметра %1 нужно значение.").arg(Quoted(argument)));
            ++i;
            continue;
        }
        if (!joined &&
            (QtFlags.contains(qtName) || qtName.startsWith(QStringLiteral("qmljsdebugger="))))
            continue;
        if (argument.startsWith(u'-') && argument.size() > 1)
            return Failed(QStringLiteral("Неизвестный параметр %1.")
                              .arg(Quoted(joined ? arguments.at(i) : argument)));
        return Failed(QStringLiteral("Лишний аргумент %1.").arg(Quoted(arguments.at(i))));
    }

    if (result.json && result.verb != TVerb::List)
        return Failed(QStringLiteral("Параметр «--json» действует только вместе с «--list»."));
    if (pageGiven && result.verb != TVerb::Add)
        return Failed(QStringLiteral("Параметр «--page» действует только вместе с «--add»."));
    if (pageGiven) {
        result.addPage = PositiveNumber(pageText);
        if (result.addPage == 0)
            return Failed(QStringLiteral("Номер страницы %1 — не целое число больше нуля.")
                              .arg(Quoted(pageText)));
    }
    switch (result.verb) {
    case TVerb::Run: {
        if (value.trimmed().isEmpty())
            return Failed(QStringLiteral("После параметра «--run» нужна кнопка (СТРАНИЦА:КНОПКА) "
                                         "или описание команды."));
        // "2:3" names a button; any other text, colons included, is a description.
        static const QRegularExpression numbers(QStringLiteral("^\\s*(\\d+)\\s*:\\s*(\\d+)\\s*$"));
        const QRegularExpressionMatch match = numbers.match(value);
        if (match.hasMatch()) {
            result.page = PositiveNumber(match.captured(1));
            result.button = PositiveNumber(match.captured(2));
            if (result.page == 0 || result.button == 0)
                return Failed(QStringLiteral("Страницы и кнопки считаются с единицы: %1.")
                                  .arg(Quoted(value)));
        } else {
            result.text = value;
        }
        break;
    }
    case TVerb::Add:
    case TVerb::Export:
    case TVerb::Import:
        if (value.isEmpty())
            return Failed(
                QStringLiteral("После параметра %1 нужен путь к файлу.").arg(Quoted(verbOption)));
        result.text = value;
        break;
    default:
        break;
    }
    return result;
}

QString UsageText()
{
    return QStringLiteral(
        "Использование: kestrolin [параметр]\n"
        "\n"
        "Без параметров запускает программу, а если она уже запущена, показывает её окно.\n"
        "\n"
        "Параметры:\n"
        "  --toggle               показать окно или спрятать его, если оно впереди\n"
        "  --show                 показать окно\n"
        "  --hide                 спрятать окно в трей\n"
        "  --run СТРАНИЦА:КНОПКА  выполнить команду кнопки (страницы и кнопки с единицы)\n"
        "  --run \"ОПИСАНИЕ\"       выполнить команду с этим описанием\n"
        "  --add ПУТЬ [--page N]  сделать команду из файла, папки или ссылки на первой\n"
        "                         пустой кнопке страницы N (без --page: текущей страницы)\n"
        "  --list [--json]        вывести страницы и команды (с --json: в формате JSON)\n"
        "  --export ФАЙЛ          выгрузить страницы и команды в файл\n"
        "  --import ФАЙЛ          загрузить страницы и команды из файла\n"
        "  --quit                 завершить запущенную программу\n"
        "  --version              показать версию программы\n"
        "  --help                 показать эту справку\n"
        "\n"
        "Если программа уже запущена, действие выполняет она. --list, --export и --import\n"
        "работают и без экрана. Код выхода: 0 - готово, 1 - не удалось, 2 - ошибка\n"
        "в параметрах.\n"
        "Принимаются и стандартные параметры Qt, например -platform.\n");
}

bool RunsWithoutDisplay(TVerb verb)
{
    switch (verb) {
    case TVerb::Hide:
    case TVerb::Quit:
    case TVerb::List:
    case TVerb::Export:
    case TVerb::Import:
    case TVerb::Version:
    case TVerb::Help:
        return true;
    default:
        return false;
    }
}

bool StartsProgram(TVerb verb)
{
    switch (verb) {
    case TVerb::None:
    case TVerb::Toggle:
    case TVerb::Show:
    case TVerb::Run:
    case TVerb::Add:
        return true;
    default:
        return false;
    }
}

QByteArray EncodeVerbRequest(const TProgramArguments& a)
{
    QJsonObject o;
    o.insert(QStringLiteral("verb"), VerbOption(a.verb));
    if (a.page)
        o.insert(QStringLiteral("page"), a.page);
    if (a.button)
        o.insert(QStringLiteral("button"), a.button);
    if (!a.text.isEmpty())
        o.insert(QStringLiteral("text"), a.text);
    if (a.addPage)
        o.insert(QStringLiteral("addPage"), a.addPage);
    if (a.json)
        o.insert(QStringLiteral("json"), true);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool DecodeVerbRequest(const QByteArray& line, TProgramArguments* arguments)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject o = document.object();
    TProgramArguments a;
    const QString option = o.value(QStringLiteral("verb")).toString();
    bool known = false;
    for (const TVerbName& name : VerbNames)
        if (option == QString::fromUtf16(name.option)) {
            a.verb = name.verb;
            known = true;
        }
    // A running copy answers only what it can do for another: not --help or --version.
    if (!known || a.verb == TVerb::Help || a.verb == TVerb::Version)
        return false;
    a.page = qMax(0, o.value(QStringLiteral("page")).toInt());
    a.button = qMax(0, o.value(QStringLiteral("button")).toInt());
    a.text = o.value(QStringLiteral("text")).toString();
    a.addPage = qMax(0, o.value(QStringLiteral("addPage")).toInt());
    a.json = o.value(QStringLiteral("json")).toBool();
    *arguments = a;
    return true;
}

QByteArray EncodeVerbResult(const TVerbResult& result)
{
    QJsonObject o;
    o.insert(QStringLiteral("ok"), result.ok);
    o.insert(QStringLiteral("text"), result.text);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool DecodeVerbResult(const QByteArray& line, TVerbResult* result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject o = document.object();
    if (!o.value(QStringLiteral("ok")).isBool())
        return false;
    result->ok = o.value(QStringLiteral("ok")).toBool();
    result->text = o.value(QStringLiteral("text")).toString();
    return true;
}
