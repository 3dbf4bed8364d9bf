#pragma once

#include <QString>

#include <functional>

// The watcher's run: wait, end every copy of the main program (at most three passes), let the
// system settle, and start the main program again from the watcher's directory unless a copy
// survived.
namespace KWatcher {

constexpr int kStartDelayMs = 500;
constexpr int kKillPasses = 3;
constexpr int kSettleMs = 2000;

// Environment variable that restricts the watcher to executables in one directory (tests).
constexpr const char kScopeVariable[] = "POINTORA_WATCHER_SCOPE";

// The main program's image name on this platform ("Pointora.exe" on Windows, "Pointora"
// elsewhere).
QString mainImageName();
// The main program's full path: the given application directory, "/", and the image name.
QString mainProgramPath(const QString& applicationDir);

// The operations the run uses; the defaults are the real ones. Tests replace them.
struct Steps {
    std::function<bool(const QString& imageName)> isProcessRunning;
    std::function<void(const QString& imageName)> killProcess;
    std::function<void(const QString& path)> startProcess;
    std::function<void(int milliseconds)> pause;

    Steps();
};

// Runs the sequence once for the main program in applicationDir. Blocks for at least
// kStartDelayMs + kSettleMs with the real pause.
void run(const QString& applicationDir, const Steps& steps = Steps());

// The whole program: application object, the scope from the environment, the run; returns the
// exit code (always 0).
int programMain(int argc, char* argv[]);

}  // namespace KWatcher
