#pragma once

// Reads archives with readers that share no code with ours: Python's zipfile and Info-ZIP's
// unzip. Every tool call is bounded, so a hanging reader fails the test instead of blocking it.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun
{
    bool started = false;
    int exitCode = -1;
    QByteArray output;
};

inline ToolRun runTool(const QString& program, const QStringList& arguments, int timeoutMs = 30000)
{
    ToolRun run;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return run;
    run.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.output = process.readAll();
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}

// Each entry as Python's zipfile sees it, content included (hex in "data"); "bad" holds the
// first entry that fails its CRC check, or null.
inline QJsonObject readWithPython(const QString& archive)
{
    static const char* script = R"(
import binascii, json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    out = {"bad": z.testzip(), "entries": []}
    for i in z.infolist():
        name = i.filename if i.flag_bits & 0x800 else i.filename.encode("cp437").decode("utf-8", "replace")
        out["entries"].append({"name": name, "create_version": i.create_version,
            "extract_version": i.extract_version, "create_system": i.create_system,
            "external_attr": i.external_attr, "flag_bits": i.flag_bits,
            "compress_type": i.compress_type, "file_size": i.file_size,
            "compress_size": i.compress_size, "crc": i.CRC, "header_offset": i.header_offset,
            "date_time": list(i.date_time), "data": binascii.hexlify(z.read(i)).decode()})
print(json.dumps(out))
)";
    const ToolRun run = runTool(QStringLiteral("python3"),
                                {QStringLiteral("-c"), QString::fromLatin1(script), archive});
    if (!run.started || run.exitCode != 0) {
        qWarning("python3 zipfile failed: %s", run.output.constData());
        return {};
    }
    return QJsonDocument::fromJson(run.output).object();
}

inline QStringList entryNames(const QJsonObject& listing)
{
    QStringList names;
    for (const QJsonValue& entry : listing.value(QStringLiteral("entries")).toArray())
        names.append(entry.toObject().value(QStringLiteral("name")).toString());
    return names;
}

inline QJsonObject entryNamed(const QJsonObject& listing, const QString& name)
{
    for (const QJsonValue& entry : listing.value(QStringLiteral("entries")).toArray())
        if (entry.toObject().value(QStringLiteral("name")).toString() == name)
            return entry.toObject();
    return {};
}

inline QByteArray entryData(const QJsonObject& listing, const QString& name)
{
    return QByteArray::fromHex(
        entryNamed(listing, name).value(QStringLiteral("data")).toString().toLatin1());
}
