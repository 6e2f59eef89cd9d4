#include "skin/SkinEngine.h"

#include "skin/SkinStyle.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyleFactory>

namespace {
TSkinEngine* s_current = nullptr;
} // namespace

TSkinEngine::TSkinEngine(QObject* parent) : QObject(parent) {}

TSkinEngine::~TSkinEngine()
{
    if (m_active)
        restore();
    if (s_current == this)
        s_current = nullptr;
}

TSkinEngine* TSkinEngine::Current()
{
    return s_current;
}

bool TSkinEngine::loadFile(const QString& path, QString* error, TSkinReader::Status* status)
{
    if (status)
        *status = TSkinReader::Status::Damaged;
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("Файл скина %1 не найден.").arg(path);
        return false;
    }
    auto skin = std::make_shared<TSkin>();
    QString why;
    const TSkinReader::Status result = TSkin::LoadFile(path, skin.get(), &why);
    if (status)
        *status = result;
    if (result != TSkinReader::Status::Loaded) {
        if (error)
            *error = why;
        return false;
    }
    m_skin = std::move(skin);
    m_loadedFile = path;
    return true;
}

bool TSkinEngine::SetSkinFile(const QString& path, QString* error, TSkinReader::Status* status)
{
    m_skinFile = path;
    if (!m_active) {
        if (status)
            *status = TSkinReader::Status::Loaded;
        return true;
    }
    // The skin in use stays until the new one has loaded, and so does its file.
    if (!loadFile(path, error, status)) {
        m_skinFile = m_loadedFile;
        return false;
    }
    install();
    emit SkinChanged();
    return true;
}

bool TSkinEngine::SetActive(bool on, QString* error, TSkinReader::Status* status)
{
    if (status)
        *status = TSkinReader::Status::Loaded;
    if (on == m_active)
        return true;
    if (!on) {
        restore();
        m_active = false;
        if (s_current == this)
            s_current = nullptr;
        emit ActiveChanged(false);
        return true;
    }
    if (!m_skin || m_loadedFile != m_skinFile) {
        if (!loadFile(m_skinFile, error, status))
            return false;
    }
    // One engine draws the application at a time.
    if (s_current && s_current != this)
        s_current->SetActive(false);
    m_active = true;
    s_current = this;
    install();
    emit ActiveChanged(true);
    emit SkinChanged();
    return true;
}

void TSkinEngine::install()
{
    QStyle* current = QApplication::style();
    if (!m_originalStyle) {
        // Keep the style we replace alive: the application deletes an old style it owns.
        m_originalStyle = current;
        m_originalPalette = QApplication::palette();
        current->setParent(nullptr);
    }
    QPointer<QStyle> previous = IsSkinStyle(current) ? current : nullptr;
    QStyle* style = CreateSkinStyle(m_skin, m_originalPalette);
    QApplication::setStyle(style);
    QApplication::setPalette(style->standardPalette());
    if (previous && previous != m_originalStyle.data())
        delete previous.data();
}

void TSkinEngine::restore()
{
    if (!qApp)
        return; // the application and its style are gone already
    QPointer<QStyle> skinStyle = QApplication::style();
    if (m_originalStyle) {
        QApplication::setStyle(m_originalStyle.data());
        if (!m_originalStyle->parent())
            m_originalStyle->setParent(qApp);
    } else {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
    QApplication::setPalette(m_originalPalette);
    if (skinStyle && IsSkinStyle(skinStyle.data()))
        delete skinStyle.data();
    m_originalStyle = nullptr;
}
