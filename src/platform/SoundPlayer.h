#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSoundEffect;

// Plays the program's short WAV resources without waiting. A newer sound stops the one still
// playing. Without an audio output nothing plays and nothing is reported.
class TSoundPlayer
{
public:
    TSoundPlayer();
    ~TSoundPlayer();

    // resourceName: "RUN_COMMAND" and so on; the WAV is :/sounds/<name>.wav.
    void play(const QString& resourceName);

private:
    std::map<QString, std::unique_ptr<QSoundEffect>> m_effects;
};
