#pragma once
// Helpers of the stand-in's tests: temporary folders, files, child processes
// and a minimal reader of the outputs by their labels and columns.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace tw::itshf::test {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "itshf-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

inline std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A child process's end: exit code, or the signal that ended it.
struct ProcessEnd {
    bool exited = false;
    int code = -1;
    int signal = 0;
};

// Runs `program` with `args` (argv[0] = program) and the test's environment
// changed by `env` (an empty value removes the variable).  Its standard input
// is a pipe holding `input`.  Waits for the end.
inline ProcessEnd RunProcess(const fs::path& program, const std::vector<std::string>& args,
                             const std::map<std::string, std::string>& env = {},
                             const std::string& input = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    // The input is small: it fits the pipe's buffer before the child reads.
    if (!input.empty() && write(pipeFds[1], input.data(), input.size()) < 0) return {};
    close(pipeFds[1]);
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [k, v] : env) v.empty() ? unsetenv(k.c_str()) : setenv(k.c_str(), v.c_str(), 1);
        dup2(pipeFds[0], STDIN_FILENO);
        std::vector<std::string> argStrings{program.string()};
        argStrings.insert(argStrings.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& s : argStrings) argv.push_back(s.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[0]);
    ProcessEnd end;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return end;
    end.exited = WIFEXITED(status);
    end.code = end.exited ? WEXITSTATUS(status) : -1;
    end.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return end;
}

// ---- A minimal reader of the outputs, by label and column -------------------

class OutputLines {
public:
    explicit OutputLines(const std::string& text) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            m_lines.push_back(line);
            pos = end + 1;
        }
    }
    // The next line from the current position holding `key`; empty at the end.
    std::string Find(const std::string& key) {
        while (m_next < m_lines.size()) {
            const std::string& l = m_lines[m_next++];
            if (l.find(key) != std::string::npos) return l;
        }
        return {};
    }
    std::string Next() { return m_next < m_lines.size() ? m_lines[m_next++] : std::string(); }

private:
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
};

inline std::string Field(const std::string& line, int column, int width) {
    if (static_cast<std::size_t>(column - 1) >= line.size()) return {};
    return line.substr(static_cast<std::size_t>(column - 1), static_cast<std::size_t>(width));
}

// NaN when the field is not a number.
inline double Number(const std::string& field) {
    const auto b = field.find_first_not_of(' ');
    if (b == std::string::npos) return NAN;
    const std::string t = field.substr(b, field.find_last_not_of(' ') - b + 1);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    return end && *end == '\0' ? v : NAN;
}

struct ReadHour {
    double mufKhz = NAN;
    double lufKhz = NAN;
    std::vector<std::string> mode;
    std::vector<double> angle, signal, noise, snr;
};

struct ReadResult {
    bool ok = false;
    double stationToShipAzimuth = NAN, stationAzimuth = NAN, rangeNmi = NAN;
    std::vector<ReadHour> hours;
};

// Reads an ICEPAC/VOACAP output the way the run driver does.
inline ReadResult ReadIcepacVoacap(const std::string& text, int hourCount, int frequencies) {
    ReadResult r;
    OutputLines out(text);
    if (out.Find("MUF    LUF").empty()) return r;
    out.Next();
    r.hours.resize(static_cast<std::size_t>(hourCount));
    for (ReadHour& h : r.hours) {
        const std::string l = out.Next();
        h.mufKhz = Number(Field(l, 39, 5)) * 1000;
        h.lufKhz = Number(Field(l, 46, 5)) * 1000;
    }
    if (out.Find("AZIMUTHS").empty()) return r;
    const std::string path = out.Next();
    r.stationToShipAzimuth = Number(Field(path, 43, 6));
    r.stationAzimuth = Number(Field(path, 51, 6));
    r.rangeNmi = Number(Field(path, 60, 7));
    auto row = [&](const char* label, std::vector<double>& into) {
        const std::string l = out.Find(label);
        for (int j = 0; j < frequencies; ++j) into.push_back(Number(Field(l, 12 + j * 5, 5)));
    };
    for (ReadHour& h : r.hours) {
        const std::string mode = out.Find("MODE");
        for (int j = 0; j < frequencies; ++j) h.mode.push_back(Field(mode, 12 + j * 5, 5));
        row("ANGLE", h.angle);
        std::vector<double> delay, height;
        row("DELAY", delay);
        row("V HITE", height);
        row("S DBW", h.signal);
        row("N DBW", h.noise);
        row("SNRxx", h.snr);
    }
    r.ok = true;
    return r;
}

// Reads a REC533 output the way the run driver does: field strength in dB
// above 1 uV/m turned into dBW, noise from the signal-to-noise ratio.
inline ReadResult ReadRec533(const std::string& text, int hourCount, const std::vector<double>& frequenciesKhz) {
    ReadResult r;
    OutputLines out(text);
    if (out.Find("AZIMUTHS").empty()) return r;
    const std::string path = out.Next();
    r.stationToShipAzimuth = Number(Field(path, 43, 6));
    r.stationAzimuth = Number(Field(path, 51, 6));
    r.rangeNmi = Number(Field(path, 60, 7));
    const std::size_t n = frequenciesKhz.size();
    r.hours.resize(static_cast<std::size_t>(hourCount));
    for (ReadHour& h : r.hours) {
        const std::string freq = out.Find("FREQ");
        h.mufKhz = Number(Field(freq, 5, 4)) * 1000;
        h.lufKhz = Number(Field(freq, 65, 4)) * 1000;
        const std::string mode = out.Find("MODE"), angle = out.Find("ANGL"), dbu = out.Find("DBU"),
                          sn = out.Find("S/N"), snxx = out.Find("SNxx");
        for (std::size_t j = 0; j < n; ++j) {
            const auto field = [&](const std::string& line) { return Field(line, 9 + static_cast<int>(j) * 5, 5); };
            h.mode.push_back(field(mode));
            h.angle.push_back(std::isnan(Number(field(angle))) ? 0 : Number(field(angle)));
            h.signal.push_back(Number(field(dbu)) - 137 - 20 * std::log10(frequenciesKhz[j] / 20000));
            h.noise.push_back(h.signal.back() - Number(field(sn)));
            h.snr.push_back(Number(field(snxx)));
        }
    }
    r.ok = true;
    return r;
}

// True when every number the reader took is a number.
inline bool AllNumbers(const ReadResult& r) {
    bool ok = r.ok && !std::isnan(r.rangeNmi + r.stationAzimuth + r.stationToShipAzimuth);
    for (const ReadHour& h : r.hours) {
        ok = ok && !std::isnan(h.mufKhz + h.lufKhz);
        for (const auto* v : {&h.angle, &h.signal, &h.noise, &h.snr})
            for (double x : *v) ok = ok && !std::isnan(x);
    }
    return ok;
}

}  // namespace tw::itshf::test
