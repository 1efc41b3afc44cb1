#include "Voacapl.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#endif

namespace tw::itshf {

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
bool ReadFile(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

// The running voacapl, for the signal handler that passes a termination on.
// A signal handler can reach nothing else, hence the file-level variable.
volatile sig_atomic_t g_child = 0;

extern "C" void PassSignalOn(int signal) {
    if (g_child > 0) kill(static_cast<pid_t>(g_child), signal);
    std::signal(signal, SIG_DFL);
    raise(signal);
}
#endif

}  // namespace

std::string VoacaplDeck(const std::string& deckText) {
    std::string out;
    out.reserve(deckText.size());
    std::size_t pos = 0;
    while (pos < deckText.size()) {
        std::size_t end = deckText.find('\n', pos);
        end = end == std::string::npos ? deckText.size() : end + 1;
        std::string line = deckText.substr(pos, end - pos);
        std::string head = line.substr(0, std::min<std::size_t>(7, line.size()));
        std::transform(head.begin(), head.end(), head.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (head == "ANTENNA") {
            const auto open = line.find('[');
            const auto close = open == std::string::npos ? open : line.find(']', open);
            if (close != std::string::npos) {
                for (auto i = open + 1; i < close; ++i) {
                    char& c = line[i];
                    c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                }
            }
        }
        out += line;
        pos = end;
    }
    return out;
}

std::optional<fs::path> FindOnPath(const std::string& name, const std::string& pathValue) {
    std::size_t pos = 0;
    while (pos <= pathValue.size()) {
        std::size_t end = pathValue.find(':', pos);
        if (end == std::string::npos) end = pathValue.size();
        const std::string folder = pathValue.substr(pos, end - pos);
        const fs::path candidate = (folder.empty() ? fs::path(".") : fs::path(folder)) / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec)) {
#ifndef _WIN32
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
#else
            return candidate;
#endif
        }
        pos = end + 1;
    }
    return std::nullopt;
}

std::vector<std::string> VoacaplArguments(const VoacaplCall& call) {
    return {"-s", "--run-dir=" + call.runDir.string(), call.itshfbcRoot, call.deckName, call.outputName};
}

int RunVoacapl(const VoacaplCall& call, std::ostream& err) {
#ifdef _WIN32
    (void)call;
    err << "voacapl: not available on Windows\n";
    return 1;
#else
    const fs::path deck = fs::path(call.deckName).is_absolute() ? fs::path(call.deckName)
                                                                : call.runDir / call.deckName;
    const fs::path output = fs::path(call.outputName).is_absolute() ? fs::path(call.outputName)
                                                                    : call.runDir / call.outputName;
    std::string text;
    if (!ReadFile(deck, text)) {
        err << "voacapl: cannot read the deck " << deck << "\n";
        return 1;
    }
    if (!WriteFile(deck, VoacaplDeck(text))) {
        err << "voacapl: cannot rewrite the deck " << deck << "\n";
        return 1;
    }
    // A stale output must not pass for this run's.
    std::error_code ec;
    fs::remove(output, ec);

    std::vector<std::string> args = VoacaplArguments(call);
    args.insert(args.begin(), call.program.string());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        err << "voacapl: cannot start it\n";
        return 1;
    }
    if (child == 0) {
#ifdef __linux__
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(127);
#else
        (void)parent;
#endif
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            if (devNull != STDIN_FILENO) close(devNull);
        } else {
            close(STDIN_FILENO);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    g_child = child;
    auto oldTerm = std::signal(SIGTERM, PassSignalOn);
    auto oldInt = std::signal(SIGINT, PassSignalOn);
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    g_child = 0;
    std::signal(SIGTERM, oldTerm);
    std::signal(SIGINT, oldInt);

    std::string result;
    if (!ReadFile(output, result) || result.find(kEndOfRun) == std::string::npos) {
        err << "voacapl: the run did not finish (no \"" << kEndOfRun << "\" in " << output << ")\n";
        return 1;
    }
    return 0;
#endif
}

}  // namespace tw::itshf
