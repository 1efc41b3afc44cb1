#pragma once
// Runs `body` without the rights of root (which ignore permission bits): in a
// child process as the user "nobody" when the tests run as root.  Returns the
// body's result (0..254), or -1 when it could not run that way.

#include <functional>

#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::test {

inline int RunUnprivileged(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(255);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

}  // namespace tw::test
