#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the program is asked to do on its command line. Each verb is one request to the copy
// that runs (or to this one, when none does).
enum class TVerb
{
    None, // a plain start: the running copy comes to the front
    Toggle,
    Show,
    Hide,
    Run,
    Add,
    List,
    Export,
    Import,
    Quit,
    Version,
    Help
};

// Exit codes of a start with a verb.
namespace ExitCode {
constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int BadArguments = 2;
} // namespace ExitCode

struct TProgramArguments
{
    TVerb verb = TVerb::None;
    // --run by numbers: page and button counted from 1; 0 when the command is named by its
    // description instead.
    int page = 0;
    int button = 0;
    // --run by description, the path of --add, the file of --export and --import.
    QString text;
    // --add --page N: the page counted from 1; 0 means the page shown.
    int addPage = 0;
    // --list --json.
    bool json = false;
    // Not empty when the command line is wrong: the message for the user (no program name).
    QString error;

    bool operator==(const TProgramArguments&) const = default;
};

// Reads the arguments after the program's name. Qt's own options (-platform, -display …) are
// passed over with their values: QApplication takes them itself.
TProgramArguments ParseProgramArguments(const QStringList& arguments);

// The option that names the verb, "--toggle" …; empty for None.
QString VerbOption(TVerb verb);

// The text of --help.
QString UsageText();

// Verbs that can be answered without a window: a start with one of them never opens a display.
bool RunsWithoutDisplay(TVerb verb);
// Verbs that start the program when no copy runs; the others only talk to a running copy or
// work on the files themselves.
bool StartsProgram(TVerb verb);

// One request as it travels between the copies: a single line of compact JSON.
QByteArray EncodeVerbRequest(const TProgramArguments& arguments);
// False when the line is not a request this program makes.
bool DecodeVerbRequest(const QByteArray& line, TProgramArguments* arguments);

// The running copy's answer: success or failure, and the text the asking copy prints.
struct TVerbResult
{
    bool ok = false;
    QString text;

    int exitCode() const { return ok ? ExitCode::Success : ExitCode::Failure; }
};

QByteArray EncodeVerbResult(const TVerbResult& result);
bool DecodeVerbResult(const QByteArray& line, TVerbResult* result);
