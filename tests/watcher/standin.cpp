// A stand-in for the main program, for the watcher's tests. Copied under any name into a
// temporary directory, it behaves in one of three ways:
//   NAME               appends "NAME pid ppid epoch-ms origin cwd" to starts.log beside its own
//                      executable (origin from STANDIN_ORIGIN, "-" when unset), then sleeps for at
//                      most two minutes so that nothing it leaves behind lives long
//   NAME --exit        ends at once
//   NAME --keep PATH   starts PATH again each time it ends, with STANDIN_ORIGIN=keeper; its
//                      children end with it

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

constexpr int kLifetimeSeconds = 120;
constexpr int kMostRespawns = 100;

std::string ownExecutable() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
    if (length <= 0)
        return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

void recordStart(const char* argv0) {
    std::string exe = ownExecutable();
    const std::string dir = exe.substr(0, exe.rfind('/'));
    std::string name = argv0;
    name = name.substr(name.rfind('/') + 1);

    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
    char cwd[4096] = "?";
    if (!getcwd(cwd, sizeof(cwd)))
        std::strcpy(cwd, "?");
    const char* origin = std::getenv("STANDIN_ORIGIN");

    const std::string line = name + " " + std::to_string(getpid()) + " " +
                             std::to_string(getppid()) + " " + std::to_string(ms) + " " +
                             (origin && *origin ? origin : "-") + " " + cwd + "\n";
    const int fd = open((dir + "/starts.log").c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
    if (fd < 0)
        return;
    if (write(fd, line.data(), line.size()) < 0)
        perror("standin: write");
    close(fd);
}

int keep(const char* path) {
    setenv("STANDIN_ORIGIN", "keeper", 1);
    const time_t end = time(nullptr) + kLifetimeSeconds;
    for (int spawn = 0; spawn < kMostRespawns && time(nullptr) < end; ++spawn) {
        const pid_t child = fork();
        if (child < 0)
            return 1;
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            execl(path, path, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc >= 2 && std::strcmp(argv[1], "--exit") == 0)
        return 0;
    if (argc >= 3 && std::strcmp(argv[1], "--keep") == 0)
        return keep(argv[2]);
    recordStart(argv[0]);
    for (int second = 0; second < kLifetimeSeconds; ++second)
        sleep(1);
    return 0;
}
