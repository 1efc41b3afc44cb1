#include "Standin.h"

#include "Deck.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace tw::itshf {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}


bool WriteText(const fs::path& path, const std::string& text) {
    // Text mode: LF here, CR LF when built for Windows, like the programs there.
    std::ofstream out(path, std::ios::trunc);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

[[noreturn]] void Hang() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

[[noreturn]] void Crash() {
#ifndef _WIN32
    // An abnormal end, but no core file in somebody's folder.
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
#endif
    std::abort();
}

void AppendLog(const fs::path& log, Program program, const std::vector<std::string>& arguments) {
    std::ofstream out(log, std::ios::app);
    out << ProgramTitle(program);
    for (const std::string& a : arguments) out << '\t' << a;
    out << '\n';
}

}  // namespace

Environment ProcessEnvironment() {
    return [](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        if (!v) return std::nullopt;
        return std::string(v);
    };
}

std::optional<Program> ProgramFromName(const fs::path& executable) {
    std::string name = Lower(executable.filename().string());
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    if (name == "icepacw") return Program::Icepac;
    if (name == "voacapw") return Program::Voacap;
    if (name == "rec533w") return Program::Rec533;
    return std::nullopt;
}

fs::path ExecutablePath(const char* argv0) {
    const fs::path given = argv0 ? fs::path(argv0) : fs::path();
    std::error_code ec;
    if (!given.has_parent_path()) {
#ifdef __linux__
        // Started through PATH: the kernel knows where the file is.
        const fs::path self = fs::read_symlink("/proc/self/exe", ec);
        if (!ec) return self;
#endif
    }
    const fs::path absolute = fs::absolute(given, ec);
    return (ec ? given : absolute).lexically_normal();
}

fs::path ResolveRoot(const std::string& rootArgument, const fs::path& executable) {
    std::error_code ec;
    if (!rootArgument.empty() && fs::is_directory(fs::path(rootArgument), ec)) return fs::path(rootArgument);
    return executable.parent_path().parent_path();
}

fs::path ChildNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(folder / name, ec)) return folder / name;
    const std::string wanted = Lower(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (Lower(it->path().filename().string()) == wanted) return it->path();
    }
    return folder / name;
}

long SleepMilliseconds(const Environment& environment, std::ostream& err,
                       const std::string& variable) {
    constexpr long kLongest = 600000;  // ten minutes: longer is a typing error
    const std::string text = environment(variable).value_or("");
    if (text.empty()) return 0;
    const bool digits = text.size() <= 6 && std::all_of(text.begin(), text.end(), [](unsigned char c) {
                            return std::isdigit(c) != 0;
                        });
    const long ms = digits ? std::stol(text) : -1;
    if (ms < 0 || ms > kLongest) {
        err << variable << "=" << text << " is not a number of milliseconds from 0 to " << kLongest
            << "; not sleeping\n";
        return 0;
    }
    return ms;
}

std::string TruncatedOutput(const std::string& output) {
    const auto lines = static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n'));
    std::size_t keep = lines / 2, pos = 0;
    for (std::size_t i = 0; i < keep; ++i) pos = output.find('\n', pos) + 1;
    return output.substr(0, pos);
}

std::string GarbledOutput(const std::string& output) {
    std::string out = output;
    const auto firstPage = out.find('\f');
    if (firstPage == std::string::npos) return out;
    std::replace_if(out.begin() + static_cast<std::ptrdiff_t>(firstPage), out.end(),
                    [](unsigned char c) { return std::isdigit(c) != 0; }, '*');
    return out;
}

int RunStandin(const fs::path& executable, const std::vector<std::string>& arguments,
               const Environment& environment, std::ostream& err) {
    const std::optional<Program> program = ProgramFromName(executable);
    if (!program || arguments.size() != 3) {
        err << "usage: icepacw.exe|voacapw.exe|rec533w.exe <itshfbc root> <deck> <output>\n"
               "  (the stand-in for the ITS HF programs: install it under one of these names)\n";
        return 2;
    }
    const fs::path root = ResolveRoot(arguments[0], executable);
    const fs::path runDir = ChildNoCase(root, "RUN");
    auto inRun = [&](const std::string& name) {
        return fs::path(name).is_absolute() ? fs::path(name) : runDir / name;
    };
    const fs::path deckPath = inRun(arguments[1]);
    const fs::path outputPath = inRun(arguments[2]);

    if (const auto log = environment("ITSHF_STANDIN_LOG"); log && !log->empty()) {
        AppendLog(*log, *program, arguments);
    }

    const std::string fail = environment("ITSHF_STANDIN_FAIL").value_or("");
    if (fail == "hang") Hang();
    if (fail == "crash") Crash();
    if (fail == "empty") return WriteText(outputPath, "") ? 0 : 1;
    if (!fail.empty() && fail != "exit1" && fail != "truncate" && fail != "garbage") {
        err << "ITSHF_STANDIN_FAIL=" << fail << " is not a known switch; running normally\n";
    }

    std::string output;
    int circuits = 0;
    {
        std::ifstream in(deckPath, std::ios::binary);
        if (!in) {
            output = WriteUnreadableDeckOutput(*program, deckPath.string());
        } else {
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            const Deck deck = ParseDeck(text);
            circuits = deck.CircuitCount();
            output = WriteOutput(*program, deck);
        }
    }
    const long perCircuit = SleepMilliseconds(environment, err, "ITSHF_STANDIN_CIRCUIT_MS");
    if (const long ms = SleepMilliseconds(environment, err) + circuits * perCircuit; ms > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    if (fail == "truncate") output = TruncatedOutput(output);
    if (fail == "garbage") output = GarbledOutput(output);
    if (!WriteText(outputPath, output)) {
        err << "cannot write the output " << outputPath << "\n";
        return 1;
    }
    return fail == "exit1" ? 1 : 0;
}

}  // namespace tw::itshf
