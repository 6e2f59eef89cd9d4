#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <map>

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
    // Owned by the application object, so they go before it does, whenever this player ends.
    std::map<QString, QPointer<QSoundEffect>> m_effects;
};
