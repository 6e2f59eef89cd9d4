#pragma once

#include "platform/Shell.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

// Counts the sounds and the icons asked for; everything else goes to the real shell.
class TSoundCounter : public IShell
{
public:
    TSoundCounter() : m_real(Shell()) {}
    bool Execute(const QString& p, const QString& a, const QString& w) override
    {
        return m_real.Execute(p, a, w);
    }
    void PlaySound(int kind) override { sounds.append(kind); }
    QString ExecuteFailure() const override { return m_real.ExecuteFailure(); }
    TShortcutInfo ReadShortcut(const QString& f) override { return m_real.ReadShortcut(f); }
    bool CheckShortcut(const QString& f, QString* reason) override
    {
        return m_real.CheckShortcut(f, reason);
    }
    bool WriteShortcut(const TShortcutInfo& i, const QString& f, int m) override
    {
        return m_real.WriteShortcut(i, f, m);
    }
    QPixmap ExtractIcon(const QString& f, int i, int s) override
    {
        extracted.append(f);
        return m_real.ExtractIcon(f, i, s);
    }
    void OpenUrl(const QString& u) override { m_real.OpenUrl(u); }
    QString StartupFolder() override { return m_real.StartupFolder(); }
    QString DesktopFolder() override { return m_real.DesktopFolder(); }
    QString ExecutablePath() override { return m_real.ExecutablePath(); }
    TVersionNumbers ExecutableVersion() override { return m_real.ExecutableVersion(); }
    QDateTime ExecutableLastChange() override { return m_real.ExecutableLastChange(); }

    QList<int> sounds;
    QStringList extracted;

private:
    IShell& m_real;
    TScopedSeam<IShell> m_seam{SetShell, this};
};
