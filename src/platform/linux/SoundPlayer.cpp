#include "platform/linux/SoundPlayer.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

TSoundPlayer::TSoundPlayer() = default;
TSoundPlayer::~TSoundPlayer()
{
    for (auto& [name, effect] : m_effects)
        delete effect.data();
}

void TSoundPlayer::play(const QString& resourceName)
{
    if (!QCoreApplication::instance() || resourceName.isEmpty())
        return;
    const QString file = QStringLiteral(":/sounds/") + resourceName + QStringLiteral(".wav");
    if (!QFile::exists(file) || QMediaDevices::audioOutputs().isEmpty())
        return;

    for (auto& [name, effect] : m_effects) {
        if (effect && effect->isPlaying())
            effect->stop();
    }
    QPointer<QSoundEffect>& effect = m_effects[resourceName];
    if (!effect) {
        effect = new QSoundEffect(QCoreApplication::instance());
        effect->setSource(QUrl(QStringLiteral("qrc") + file));
    }
    // Loading is asynchronous; play() before it is done plays as soon as the data are there.
    effect->play();
}
