#pragma once

#include "app/UIManager.h"
#include "device/MCPairMutiThread.h"
#include "net/KUpdater.h"
#include "simulation/KFuncCommon.h"
#include "simulation/KMouseSensitivity.h"

#include <QObject>

class KConfigCommon;
class KDeviceHook;
class KDeviceWatcher;
class KDeviceSimulator;
class KMsgManager;
class KPlatform;
class KWinSimulator;
class QTranslator;

// Assembles the running program: creates or looks up every back-end object, connects them,
// publishes them to QML and loads the interface.
class AppManager : public QObject {
    Q_OBJECT
public:
    static AppManager* instance();

    bool init();
    UIManager* uiManager() { return &m_uiManager; }
    KFuncCommon* funcCommon() { return &m_funcCommon; }
    KUpdater* updater() { return &m_updater; }
    MCPairMutiThread* pairing() { return &m_pairing; }
    KMouseSensitivity* mouseSensitivity() { return &m_mouseSensitivity; }
    // Registers the request types the interface creates, under "k.tools" 1.0.
    static void registerQmlTypes();

    // Loads the translation file of the stored language into the translator and installs it.
    // Returns whether a file was loaded.
    bool loadLanguage();
    // The rule behind it: "zh" and "en" (exactly) have a translation file, anything else none.
    static bool loadTranslation(QTranslator* translator, const QString& language);
    // Makes the font resource APP_FONT the application-wide font (the toolkit's default when the
    // resource cannot be used).
    static void setApplicationFont();

public slots:
    void messageReceived(QString message);

private:
    AppManager();
    void registerQml();

    UIManager m_uiManager;
    QTranslator* m_translator = nullptr;
    KUpdater m_updater;
    MCPairMutiThread m_pairing;
    KFuncCommon m_funcCommon;
    KMouseSensitivity m_mouseSensitivity;
    KPlatform* m_platform = nullptr;
    KDeviceWatcher* m_deviceWatcher = nullptr;
    KConfigCommon* m_configCommon = nullptr;
    KDeviceHook* m_deviceHook = nullptr;
    KDeviceSimulator* m_deviceSimulator = nullptr;
    KWinSimulator* m_winSimulator = nullptr;
    KMsgManager* m_msgManager = nullptr;
};
